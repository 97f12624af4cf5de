// The dispatcher: the table of operations, the overview, and running one operation.
#include "Command.h"

#include <array>
#include <ostream>

#include "CommandSupport.h"
#include "store/Ansi.h"

namespace tunexa::regtool {

namespace command {

// Each operation is defined in a file of its own (QueryCommand.cpp, ...). A new operation is
// one such file and one row here.
extern const Operation kQueryOperation;
extern const Operation kAddOperation;
extern const Operation kDeleteOperation;
extern const Operation kExportOperation;
extern const Operation kImportOperation;
extern const Operation kHistoryOperation;
extern const Operation kUndoOperation;
extern const Operation kProfileOperation;
extern const Operation kMachineOperation;

}  // namespace command

namespace {

using namespace command;

const std::array<const Operation*, 9> kOperations = {
    &kQueryOperation,   &kAddOperation,  &kDeleteOperation,  &kExportOperation, &kImportOperation,
    &kHistoryOperation, &kUndoOperation, &kProfileOperation, &kMachineOperation};

// "tunexa-reg import voodoo2.reg": the title of the change a command makes, as it was typed.
std::string commandTitle(const std::vector<std::string>& args) {
    std::string title(kProgram);
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string arg = i == 0 ? lowerAscii(args[i]) : args[i];
        const bool quote = arg.empty() || arg.find(' ') != std::string::npos;
        title += quote ? " \"" + arg + "\"" : " " + arg;
    }
    return title;
}

// "QUERY, ADD, DELETE, EXPORT or IMPORT"
std::string operationList() {
    std::string list;
    for (std::size_t i = 0; i < kOperations.size(); ++i) {
        if (i > 0) {
            list += i + 1 == kOperations.size() ? " or " : ", ";
        }
        list += kOperations[i]->name;
    }
    return list;
}

void printOverview(std::ostream& out) {
    out << "tunexa-reg OPERATION [arguments]\n"
           "  OPERATION is "
        << operationList()
        << "; switches may start with / or -.\n"
           "  Return code: 0 done, 1 refused or failed (MACHINE CHECK: 1 differs, 2 unreadable).\n"
           "  Type \"tunexa-reg OPERATION /?\" for the arguments of one operation.\n";
}

bool isHelp(const std::string& arg) {
    return arg == "/?" || arg == "-?";
}

}  // namespace

int run(store::Hive& hive, const std::vector<std::string>& args, std::istream& in,
        std::ostream& out, std::ostream& err) {
    Context c{hive, in, out, err};
    if (args.empty()) {
        return refuse(c, "An operation is missing.");
    }
    if (isHelp(args[0])) {
        printOverview(out);
        return 0;
    }
    for (const Operation* operation : kOperations) {
        if (ansi::equalsIgnoringCase(args[0], operation->name)) {
            c.operation = operation;
        }
    }
    if (c.operation == nullptr) {
        return refuse(c, "\"" + args[0] + "\" is not an operation tunexa-reg knows: use " +
                             operationList() + ".");
    }
    for (std::size_t i = 1; i < args.size(); ++i) {
        if (isHelp(args[i])) {
            out << c.operation->usage;
            return 0;
        }
    }
    int exitCode = 1;
    const auto parsed = parseArguments(c, args, exitCode);
    if (!parsed) {
        return exitCode;
    }
    if (c.operation->records) {
        c.changeTitle = commandTitle(args);
    }
    return c.operation->run(c, *parsed);
}

}  // namespace tunexa::regtool
