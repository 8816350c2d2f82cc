# `make package`: a Debian package of the install tree, build/pakto_<version>_<arch>.deb.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME pakto)
set(CPACK_PACKAGE_VENDOR Dravo)
set(CPACK_PACKAGE_CONTACT "Pakto developers <pakto@example.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "serial-link test tool for HDLC-framed packets")
set(CPACK_PACKAGE_DESCRIPTION "\
Pakto sends test frames over a serial port in HDLC-like framing (flag 0x7E,
escape 0x7D, FCS-16), decodes what the device behind the port sends back,
compares each reply with the frames still outstanding, and counts frames,
bytes, framing errors and the send rate. Its window speaks Chinese or English.
.
The package also holds pakto-peer, a simulated device that plays the other
end of the link on a pseudo-terminal.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES TRUE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://www.example.com/pakto)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt's own dialog texts in Chinese; the chart (Qwt) and its SVG pictures (Qt SVG),
# named as well as found by dpkg-shlibdeps; the window's Chinese texts need a CJK font.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qttranslations5-l10n, libqwt-qt5-6, libqt5svg5")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-wqy-microhei | fonts-noto-cjk")
include(CPack)
