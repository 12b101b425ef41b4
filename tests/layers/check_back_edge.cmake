# Compiles back_edge_probe.cpp against one layer's include tree, once as the layer may include
# (must compile) and once with an include of a higher layer (must fail for that header).
set(command ${COMPILER} -std=c++20 -fsyntax-only -I${TREE} ${PROBE})
execute_process(COMMAND ${command} RESULT_VARIABLE status ERROR_VARIABLE err)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "The layer's own includes do not compile:\n${err}")
endif()
execute_process(COMMAND ${command} -DVELMO_PROBE_BACK_EDGE RESULT_VARIABLE status
                ERROR_VARIABLE err)
if(status EQUAL 0)
  message(FATAL_ERROR "An include of a higher layer compiled")
endif()
if(NOT err MATCHES "date/frm_date.h")
  message(FATAL_ERROR "The back-edge failed for another reason:\n${err}")
endif()
message(STATUS "refused as it should be:\n${err}")
