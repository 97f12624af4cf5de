# The Debian package: `cpack -G DEB` in the build folder makes tunexa_<version>_<arch>.deb from
# the install rules. dpkg-shlibdeps finds the shared libraries the programs link; Depends adds
# what they load at run time without linking it.

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tunexa)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Tunexa Developers")
set(CPACK_PACKAGE_CONTACT "Tunexa Developers <dev@tunexa.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "tune and overclock legacy 3D graphics cards")
set(CPACK_PACKAGE_DESCRIPTION
    "Tunexa sets the options and clocks of the 3D graphics cards of a Windows 95/98
home PC by editing the settings their display drivers read: the NVIDIA Riva
TNT, the 3dfx Voodoo Graphics, Voodoo2 and Banshee, and the Matrox G100/G200.
It also switches Unreal's Direct3D options and the desktop resolution, keeps
Half-Life favourite servers, and sits in the tray with a menu that sets clocks
and VSync in one click.

The settings live in a registry-like store in the user's data folder, and
Windows drive letters map to folders as in Wine; drive C: may also be an
emulator's FAT disk image. Tunexa reads a Windows 98 machine's own registry
from it, stages the settings for the machine to import at its next start,
and checks afterwards that they arrived. The tool tunexa-reg queries,
changes, exports and imports the store as regedit files.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# Release binaries without symbols: the package is for running, not for debugging.
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt's platform plugins (xcb, offscreen) ship in libqt6gui6, which dpkg-shlibdeps already finds.
# The fonts are loaded by name at run time, which no linker sees; the Tahoma-compatible face of
# fonts-wine is used when present. mtools is run, not linked: it reads and writes the files of a
# drive that is a FAT disk image.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-dejavu-core, mtools")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "fonts-wine")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
