// The records of the last three database tables, each naming a media file: Picture.dat (the
// images of the picture command), Sound.dat (sound effects: record k from 1 on gets the
// sound slot 16 + k) and Bgm.dat (music; index 0 stands for no music).
//
// The three share one file layout: the editor value from version 151 on, then the name and
// the file name. cEdSound keeps its members in another order in memory, which changes
// nothing in the file.
#pragma once

#include <cstdint>
#include <string>

#include "data/serial_record.h"

class cEdPicture : public SerialRecord {
public:
    cEdPicture();
    cEdPicture(const cEdPicture&) = default;
    cEdPicture& operator=(const cEdPicture&) = default;
    void Rebind(std::uint32_t version) override;
    void Load(RecordReader& reader) override;

    std::string strName;
    std::int32_t nEditValue = 0;  // the editor's; 0 after a file older than 153
    std::string strFile;          // a path as stored, given to the loader
};

class cEdSound : public SerialRecord {
public:
    cEdSound();
    cEdSound(const cEdSound&) = default;
    cEdSound& operator=(const cEdSound&) = default;
    void Rebind(std::uint32_t version) override;
    void Load(RecordReader& reader) override;

    std::string strName;
    std::string strFile;
    std::int32_t nEditValue = 0;
};

class cEdBgm : public SerialRecord {
public:
    cEdBgm();
    cEdBgm(const cEdBgm&) = default;
    cEdBgm& operator=(const cEdBgm&) = default;
    void Rebind(std::uint32_t version) override;
    void Load(RecordReader& reader) override;

    std::string strName;
    std::int32_t nEditValue = 0;
    std::string strFile;
};
