#pragma once
// The database: the project's catalogue of shared resources that stages and
// definitions refer to by index. Ten lists, each read from its own file in
// data\database\ (version word, u32 element count, the element bodies).
#include <cstdint>
#include <string>
#include <vector>

#include "base/SerialRecord.h"
#include "data/Anime.h"
#include "data/Effect.h"
#include "data/ReadContext.h"

class cSystem;

// An extra bitmap for characters.
class cBmpCharaExc : public cSerialRecord {
 public:
  std::string m_Name;
  std::string m_File;
  int32_t m_Tag = 0;         // files from 152 on
  int32_t m_DrawValue1 = 0;  // files from 172 on; the engine's custom-size switch
  int32_t m_DrawValue2 = 2;  // files from 172 on; the engine's cell multiplier

  cBmpCharaExc() {
    Clear();
    m_DrawValue2 = 2;
  }
  void RegisterFields(uint32_t version) override;
  bool Read(cRecordReader& r) override;
  SERIAL_RECORD_COPYABLE(cBmpCharaExc)
};

// One frame of a sword. The engine's meaning of the numbered values:
// m_Param1/m_Param2 offset x/y (pixels at magnification 1), m_Param3/m_Param4
// mirror-x/mirror-y flags, m_Param5/m_Param6 source x/y in the image,
// m_Param7 the frame's duration in tenths of a second.
class cSwordFrame : public cSerialRecord {
 public:
  int32_t m_Param1 = 0;
  int32_t m_Param2 = 0;
  int32_t m_Param3 = 1;  // files from 138 on
  int32_t m_Param4 = 0;  // files from 138 on
  int32_t m_Position = 0;  // 0 in front of the owner, 1 behind, 2 above, 3 below
  int32_t m_Param5 = 0;
  int32_t m_Param6 = 0;
  int32_t m_Width = 0;
  int32_t m_Height = 0;
  int32_t m_Param7 = 0;

  cSwordFrame() {
    Clear();
    m_Param3 = 1;
  }
  int32_t Duration() const { return m_Param7; }
  void RegisterFields(uint32_t version) override;
};

class cSwordType : public cSerialRecord {
 public:
  std::string m_Name;
  std::string m_File;   // the sword's image
  std::string m_Text2;  // the second image
  int32_t m_Tag = 0;    // files from 151 on
  cVector<cSwordFrame> m_SwordFrames;

  cSwordType() { SetDefaults(); }
  void SetDefaults();
  void RegisterFields(uint32_t version) override;
  bool Read(cRecordReader& r) override;
  bool Write(cRecordWriter& w) override;
  SERIAL_RECORD_COPYABLE(cSwordType)
};

// Pictures, sound effects and music: a name, a file and the editor's tag.
class cNamedFile : public cSerialRecord {
 public:
  std::string m_Name;
  std::string m_File;
  int32_t m_Tag = 0;  // files from 151 on

  cNamedFile() { Clear(); }
  void RegisterFields(uint32_t version) override;
  bool Read(cRecordReader& r) override;
};

class cPicture : public cNamedFile {
 public:
  SERIAL_RECORD_COPYABLE(cPicture)
};
class cSound : public cNamedFile {
 public:
  SERIAL_RECORD_COPYABLE(cSound)
};
class cBgm : public cNamedFile {
 public:
  SERIAL_RECORD_COPYABLE(cBgm)
};

// Path of a list's file, relative to the project folder.
const char* DbFilePath(DbList list);

class cDatabase : public cSerialRecord {
 public:
  cVector<cAnimeSet> m_AnimeSets;
  cVector<cAnime> m_AnimeList;
  cVector<cBmpCharaExc> m_BmpCharaExcs;
  cVector<cSwordType> m_SwordTypes;
  cVector<cEffect> m_Effects;
  cVector<cCharaEffect> m_CharaEffects;
  cVector<cScrEffect> m_ScrEffects;
  cVector<cPicture> m_Pictures;
  cVector<cSound> m_Sounds;
  cVector<cBgm> m_Bgms;

  cDatabase() { SetDefaults(); }
  void SetDefaults();
  // The database has no fields of its own and no file.
  void RegisterFields(uint32_t) override { ResetFields(); }

  // Reads the ten lists in their fixed order. A file that is missing, newer
  // or broken is reported and stops the load: the lists before it keep what
  // was read, that list and the later ones keep what they held.
  bool Load();
  // One list from one file; false (and the list unchanged) when the file is
  // missing, newer than this program or broken. Reports nothing.
  bool LoadList(DbList list, const std::string& path);
  // The same from a whole file image.
  bool LoadListFromBytes(DbList list, std::vector<unsigned char> bytes);
  // Element 0 of both effect-definition lists means "no effect".
  void FixAfterLoad();

  // Writers: a list as a file image, one list to a file (atomic), or all ten
  // lists to their files in data\database\.
  std::vector<unsigned char> ListToBytes(DbList list);
  bool SaveList(DbList list, const std::string& path);
  bool Save();

  int Count(DbList list) const;
  // Time of a sword command using sword type `swordType`: the sum of its
  // frame durations, capped at 9999 after each addition. 0 for a type
  // outside the list.
  int SwordTime(int swordType) const;
};

// Fills the database section of a read context from a loaded database.
void FillReadContext(const cDatabase& database, cReadContext& context);
// Fills the switches of the system data that the readers obey (keeping
// test-play flows). The system data is read against the database, so the
// player and the tools fill the database section first, load the system
// data with that context, then call this.
void FillReadContext(const cSystem& system, cReadContext& context);

// The program-wide record (defined in data/ProgramData.cpp).
extern cDatabase Database;
