# The Debian package, made by CPack's DEB generator (scripts/package.sh):
# vorlink_<version>_<arch>.deb, installing into /usr what install() places.
include(GNUInstallDirs)

# Debian's documentation of the package. The version ends in no Debian revision (the
# project packages itself), so lintian wants the changelog named changelog.gz.
install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright ${CMAKE_BINARY_DIR}/generated/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/vorlink)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vorlink)
set(CPACK_PACKAGE_VENDOR "Vorlink developers")
set(CPACK_PACKAGE_CONTACT "Vorlink developers <vorlink@example.org>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Czech address book with birthday and name-day reminders")
# The extended description (CPack puts the summary above it and indents each line by one
# space): lines under 80 columns, paragraphs separated by ".".
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Vorlink keeps the addresses, telephone numbers and notes of your contacts in
one book file (.WDT), with a tabbed editor, flags to select entries by,
find, printed reports from templates, and reminders of birthdays, name days
and other anniversaries, with a chime and a tray icon.
.
It exchanges contacts as vCard, Google and Outlook tables and iCalendar,
imports older Czech address book formats, dials through a modem and keeps
an address book on a CardDAV server in step in both directions.
.
vorlink-cli lists, reports, converts and syncs books from the command line.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://github.com/brevmark/vorlink")
# Libraries the programs link are found by dpkg-shlibdeps from the binaries themselves.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# What Qt loads at run time and shlibdeps cannot see:
# - qt6-qpa-plugins: the platform plugins (xcb and others); without one the window
#   cannot open at all, and libqt6gui6 only recommends it.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
# - qt6-translations-l10n: Qt's own dialogs (files, colours, buttons) in Czech.
# - gstreamer1.0-plugins-base/-good: the reminder chime goes through Qt Multimedia's
#   GStreamer backend, which needs the WAV parser and an audio sink; without them the
#   program stays silent but works.
# - fonts-dejavu-core: printed pages, labels and PDFs are set in DejaVu Sans and Sans
#   Mono, whose Czech letters and widths the page layout counts on; another font is
#   taken without them.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "qt6-translations-l10n, gstreamer1.0-plugins-base, gstreamer1.0-plugins-good, fonts-dejavu-core")
# - qt6-wayland: a native window on Wayland (otherwise through XWayland).
# - gnome-keyring or KWallet: the keyring that keeps the sync's passwords; without one
#   the window asks for the password at each sync.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "qt6-wayland, gnome-keyring | kwalletmanager")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
# The version is the one the programs print: read at packaging time from what the
# build wrote (cmake/VorlinkVersion.cmake), so a commit between configuring and
# building cannot make the two differ.
configure_file(${PROJECT_SOURCE_DIR}/packaging/CPackVersion.cmake.in ${CMAKE_BINARY_DIR}/CPackVersion.cmake @ONLY)
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_BINARY_DIR}/CPackVersion.cmake)
include(CPack)
