# tessary_version_resource(target description): a VERSIONINFO resource with the product name, the
# project version as file and product version, and `description`, compiled into the DLL.
function(tessary_version_resource target description)
  set(TESSARY_RC_NAME ${target})
  set(TESSARY_RC_DESCRIPTION "${description} (${TESSARY_FLAVOUR_NAME})")
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/version.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
endfunction()
