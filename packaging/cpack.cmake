# The Debian package: cpack -G DEB in the build folder. Its dependencies
# come from the programs' shared libraries (dpkg-shlibdeps), plus what is
# loaded at run time rather than linked: Qt's platform plugins, and Mesa's
# drivers for a machine without a GL driver of its own.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME gyrolux)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_CONTACT "gyrolux developers <team@gyrolux.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "viewer for brain-surface meshes and their statistics")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "gyrolux shows cortical surface meshes (MNI .obj, FreeSurfer and GIFTI) with
the statistics that belong to their vertices, parcellations and landmarks,
coloured through colour bars between limits the user edits. gyrolux-render
draws the same figures without a display, for batches and pipelines; objinfo,
objconv, vsinfo and vsconv describe and convert the files.")
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libgl1-mesa-dri")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)
set(CPACK_STRIP_FILES ON)
include(CPack)
