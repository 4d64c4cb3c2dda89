# k4_fuzz_target(fuzz_NAME src/...cpp ...) lines are added per reader.
k4_fuzz_target(fuzz_cp932 ${CMAKE_SOURCE_DIR}/src/platform/cp932.cpp ${CMAKE_SOURCE_DIR}/src/app/sjis.cpp)
k4_fuzz_target(fuzz_script ${CMAKE_SOURCE_DIR}/src/platform/script.cpp
    ${CMAKE_SOURCE_DIR}/src/platform/text_scan.cpp)
k4_fuzz_target(fuzz_record
    ${CMAKE_SOURCE_DIR}/src/data/serial_record.cpp
    ${CMAKE_SOURCE_DIR}/src/data/record_io.cpp
    ${K4_FUZZ_CORE_SOURCES})
k4_fuzz_target(fuzz_keyconfig
    ${CMAKE_SOURCE_DIR}/src/app/key_config.cpp
    ${CMAKE_SOURCE_DIR}/src/app/input.cpp
    ${CMAKE_SOURCE_DIR}/src/app/key_history.cpp
    ${K4_FUZZ_CORE_SOURCES})
k4_fuzz_target(fuzz_database
    ${CMAKE_SOURCE_DIR}/src/data/database.cpp
    ${CMAKE_SOURCE_DIR}/src/data/anime_records.cpp
    ${CMAKE_SOURCE_DIR}/src/data/chara_exc_records.cpp
    ${CMAKE_SOURCE_DIR}/src/data/sword_type_records.cpp
    ${CMAKE_SOURCE_DIR}/src/data/effect_records.cpp
    ${CMAKE_SOURCE_DIR}/src/data/effect_param_tables.cpp
    ${CMAKE_SOURCE_DIR}/src/data/media_records.cpp
    ${CMAKE_SOURCE_DIR}/src/data/post_load_tables.cpp
    ${CMAKE_SOURCE_DIR}/src/stage/effect_instances.cpp
    ${CMAKE_SOURCE_DIR}/src/data/serial_record.cpp
    ${CMAKE_SOURCE_DIR}/src/data/record_io.cpp
    ${K4_FUZZ_CORE_SOURCES})
k4_fuzz_target(fuzz_option
    ${CMAKE_SOURCE_DIR}/src/data/option_record.cpp
    ${CMAKE_SOURCE_DIR}/src/data/serial_record.cpp
    ${CMAKE_SOURCE_DIR}/src/data/record_io.cpp
    ${K4_FUZZ_CORE_SOURCES})
set(K4_FUZZ_SYSTEM_SOURCES
    ${CMAKE_SOURCE_DIR}/src/data/system_record.cpp
    ${CMAKE_SOURCE_DIR}/src/data/system_tables.cpp
    ${CMAKE_SOURCE_DIR}/src/data/label_tables.cpp
    ${CMAKE_SOURCE_DIR}/src/app/system_ini.cpp
    ${CMAKE_SOURCE_DIR}/src/data/database.cpp
    ${CMAKE_SOURCE_DIR}/src/data/anime_records.cpp
    ${CMAKE_SOURCE_DIR}/src/data/chara_exc_records.cpp
    ${CMAKE_SOURCE_DIR}/src/data/sword_type_records.cpp
    ${CMAKE_SOURCE_DIR}/src/data/effect_records.cpp
    ${CMAKE_SOURCE_DIR}/src/data/effect_param_tables.cpp
    ${CMAKE_SOURCE_DIR}/src/data/media_records.cpp
    ${CMAKE_SOURCE_DIR}/src/data/post_load_tables.cpp
    ${CMAKE_SOURCE_DIR}/src/stage/effect_instances.cpp
    ${CMAKE_SOURCE_DIR}/src/data/serial_record.cpp
    ${CMAKE_SOURCE_DIR}/src/data/record_io.cpp
    ${K4_FUZZ_CORE_SOURCES})
k4_fuzz_target(fuzz_system ${K4_FUZZ_SYSTEM_SOURCES})
k4_fuzz_target(fuzz_system_ini ${K4_FUZZ_SYSTEM_SOURCES})
k4_fuzz_target(fuzz_bmp ${CMAKE_SOURCE_DIR}/src/platform/bmp_decoder.cpp)
k4_fuzz_target(fuzz_image ${K4_FUZZ_CORE_SOURCES})
k4_fuzz_target(fuzz_flow
    ${CMAKE_SOURCE_DIR}/src/data/flow_records.cpp
    ${CMAKE_SOURCE_DIR}/src/data/command_record.cpp
    ${CMAKE_SOURCE_DIR}/src/data/move_shot_records.cpp
    ${CMAKE_SOURCE_DIR}/src/data/command_type_tables.cpp
    ${K4_FUZZ_SYSTEM_SOURCES})
