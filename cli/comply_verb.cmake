# The comply verb of korrivan-cli, built on its own until the pipeline tool
# takes it in: cli/comply_verb.* add the subcommand and run it.
find_package(CLI11 REQUIRED)
find_package(nlohmann_json REQUIRED)
find_package(Threads REQUIRED)
add_library(korrivan_comply_verb STATIC ${CMAKE_CURRENT_LIST_DIR}/comply_verb.cpp)
target_link_libraries(korrivan_comply_verb PUBLIC korrivan_core CLI11::CLI11 nlohmann_json::nlohmann_json
  Threads::Threads)
korrivan_set_warnings(korrivan_comply_verb)
