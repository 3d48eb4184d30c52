# Run by CPack before it packs: a build configured for another prefix would look for its
# schedule tool where the package does not put it.
if(NOT CPACK_RESVMAN_CONFIGURED_PREFIX STREQUAL "/usr")
    message(FATAL_ERROR "The Debian package needs a build configured with "
                        "-DCMAKE_INSTALL_PREFIX=/usr (this one: ${CPACK_RESVMAN_CONFIGURED_PREFIX}).")
endif()
