# One line per reader: the fuzz target and the sources its reader needs (they all go into one
# archive; see CMakeLists.txt). Groups that several readers share are named once.
set(S ${CMAKE_SOURCE_DIR}/src)
set(K4_FUZZ_RECORD_SOURCES ${S}/data/serial_record.cpp ${S}/data/record_io.cpp ${K4_FUZZ_CORE_SOURCES})
set(K4_FUZZ_DATABASE_SOURCES
    ${S}/data/database.cpp ${S}/data/anime_records.cpp ${S}/data/chara_exc_records.cpp
    ${S}/data/sword_type_records.cpp ${S}/data/effect_records.cpp ${S}/data/effect_param_tables.cpp
    ${S}/data/media_records.cpp ${S}/data/post_load_tables.cpp ${S}/stage/effect_instances.cpp
    ${S}/app/paths.cpp ${K4_FUZZ_RECORD_SOURCES})
set(K4_FUZZ_SYSTEM_SOURCES
    ${S}/data/system_record.cpp ${S}/data/system_tables.cpp ${S}/data/label_tables.cpp
    ${S}/app/system_ini.cpp ${K4_FUZZ_DATABASE_SOURCES})

k4_fuzz_target(fuzz_cp932 ${S}/platform/cp932.cpp ${S}/app/sjis.cpp)
k4_fuzz_target(fuzz_script ${S}/platform/script.cpp ${S}/platform/text_scan.cpp)
k4_fuzz_target(fuzz_record ${K4_FUZZ_RECORD_SOURCES})
k4_fuzz_target(fuzz_keyconfig
    ${S}/app/key_config.cpp ${S}/app/input.cpp ${S}/app/key_history.cpp ${K4_FUZZ_CORE_SOURCES})
k4_fuzz_target(fuzz_database ${K4_FUZZ_DATABASE_SOURCES})
k4_fuzz_target(fuzz_option ${S}/data/option_record.cpp ${K4_FUZZ_RECORD_SOURCES})
k4_fuzz_target(fuzz_system ${K4_FUZZ_SYSTEM_SOURCES})
k4_fuzz_target(fuzz_system_ini ${K4_FUZZ_SYSTEM_SOURCES})
k4_fuzz_target(fuzz_bmp ${S}/platform/bmp_decoder.cpp)
k4_fuzz_target(fuzz_image ${K4_FUZZ_CORE_SOURCES})
k4_fuzz_target(fuzz_flow
    ${S}/data/flow_records.cpp ${S}/data/command_record.cpp ${S}/data/move_shot_records.cpp
    ${S}/data/command_type_tables.cpp ${K4_FUZZ_SYSTEM_SOURCES})
k4_fuzz_target(fuzz_world_map
    ${S}/data/world_map.cpp ${S}/app/paths.cpp ${K4_FUZZ_RECORD_SOURCES})
set(K4_FUZZ_PALETTE_SOURCES
    ${S}/data/common_palette.cpp ${S}/data/palette_inheritance.cpp
    ${S}/data/palette_group_tables.cpp ${S}/data/palette_entry.cpp ${S}/data/block_record.cpp
    ${S}/data/chara_record.cpp ${S}/data/item_record.cpp ${S}/data/flow_records.cpp
    ${S}/data/command_record.cpp ${S}/data/move_shot_records.cpp ${S}/data/command_type_tables.cpp
    ${K4_FUZZ_SYSTEM_SOURCES})
k4_fuzz_target(fuzz_common_palette ${K4_FUZZ_PALETTE_SOURCES})
k4_fuzz_target(fuzz_stage
    ${S}/data/stage_record.cpp ${S}/data/stage_sub_records.cpp ${K4_FUZZ_PALETTE_SOURCES})
