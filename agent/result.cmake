# agent/result.h, how the engine and the clock report a failure, as a header-only target. It carries the include
# root (the folder above agent/), through which every library that includes it reaches the project's headers.
# Included by the engine's folder and by the format layer's, which the fuzz build adds on its own.
include_guard(GLOBAL)
get_filename_component(agent_include_root ${CMAKE_CURRENT_LIST_DIR}/.. ABSOLUTE)
add_library(agent_result INTERFACE)
target_include_directories(agent_result INTERFACE ${agent_include_root})
target_link_libraries(agent_result INTERFACE Qt6::Core)
