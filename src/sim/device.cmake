# The device model and brenna-sim, which serves it on a pseudo-terminal.
add_library(brenna_simdevice STATIC
  ${CMAKE_CURRENT_LIST_DIR}/OSimCard.cpp
  ${CMAKE_CURRENT_LIST_DIR}/OSimDevice.cpp
  ${CMAKE_CURRENT_LIST_DIR}/OSimServer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SimCommands.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SimFaults.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SimLineSpeed.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SimTestCommands.cpp
)
target_include_directories(brenna_simdevice PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(brenna_simdevice PUBLIC brenna_device brenna_serial brenna_base Threads::Threads)

# The recording with its live stream, made of the ECG model's sectors.
target_sources(brenna_simdevice PRIVATE ${CMAKE_CURRENT_LIST_DIR}/SimLive.cpp)
target_link_libraries(brenna_simdevice PUBLIC brenna_ecgmodel)

add_executable(brenna-sim ${CMAKE_CURRENT_LIST_DIR}/SimMain.cpp)
target_link_libraries(brenna-sim PRIVATE brenna_simdevice)

# The demo card of make-card --demo.
add_subdirectory(${CMAKE_CURRENT_LIST_DIR}/demo ${CMAKE_CURRENT_BINARY_DIR}/demo)
