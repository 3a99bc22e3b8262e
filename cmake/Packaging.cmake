# The Debian package, built by `cpack --preset package` (scripts/package.sh).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME velmora)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Velmora")
set(CPACK_PACKAGE_CONTACT "Velmora maintainers <maintainers@velmora.example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "quinella picks from a horse race's win and place odds")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# Debian forbids unstripped programs in a package. Strip leaves the .comment
# section, which lintian flags: a script takes it out of the staged files.
set(CPACK_STRIP_FILES ON)
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/PackageStrip.cmake)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://velmora.example.org/")
# CPack puts the summary above this as the synopsis line.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Velmora is a desktop tool for Japanese horse-race bettors. For one race of
8 to 18 runners it turns the public's win and place odds into support rates,
popularity ranks, four reliability grades and up to nine recommended quinella
pairs. Races loaded from the data files of the PAT betting software show each
pair's real quinella and wide odds and, afterwards, the pairs that paid.
.
velmora-cli runs the same computation without a screen, for scripts.")
# Library dependencies come from dpkg-shlibdeps; the Japanese font and Qt's
# Japanese translations are loaded at run time, so no linker sees them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-noto-cjk, qt6-translations-l10n")

include(CPack)
