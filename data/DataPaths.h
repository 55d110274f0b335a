#pragma once
// Where a game project keeps its files: the path table (relative to the
// project folder), the extension table, the font faces the system data can
// choose, and the creation of the data folder from its pristine copy.

constexpr int kPathTableSize = 48;
extern const char* const PathTable[kPathTableSize];

// Entries of the path table that the player opens.
enum : int {
  PATH_DATA = 0,
  PATH_DEFAULT = 1,
  PATH_COMMON_PALETTE = 7,
  PATH_WORLD_MAP = 13,
  PATH_DB_ANIME_SET = 15,
  PATH_DB_ANIME = 17,
  PATH_DB_BMP_CHARA_EXC = 19,
  PATH_DB_SWORD_TYPE = 21,
  PATH_DB_EFFECT = 23,
  PATH_DB_CHARA_EFFECT = 25,
  PATH_DB_SCR_EFFECT = 27,
  PATH_DB_PICTURE = 29,
  PATH_DB_SOUND = 31,
  PATH_DB_BGM = 33,
  PATH_SYSTEM = 35,
  PATH_CHALLENGE_STAGE_PREFIX = 37,
  PATH_RANKING_STORY = 38,
  PATH_RANKING_CHALLENGE = 39,
  PATH_RANKING_FREE = 40,
  PATH_STORY_SLOT = 41,
  PATH_CHALLENGE = 42,
  PATH_OPTION = 43,
  PATH_USER_DATA = 44,
  PATH_KEY_CONFIG = 45,
  PATH_BOOT = 46,
  PATH_WINDOW = 47,
};

constexpr int kExtTableSize = 4;
extern const char* const ExtTable[kExtTableSize];
enum : int { EXT_COMMON_PALETTE = 0, EXT_STAGE = 1, EXT_PALETTE = 2, EXT_RANKING = 3 };

// 122 face names and an empty last entry; m_FontFace of the system data indexes it.
constexpr int kFontFaceTableSize = 123;
extern const char* const FontFaceTable[kFontFaceTableSize];
// The face for a system-data index. An index outside the table gives the
// empty name (the table's last entry), as index 122 does.
const char* GetFontFace(int index);

// Texts of the default-data question, and of the box start-up shows when
// CreateDefaultData fails.
extern const char* const kDefaultDataQuestion;
extern const char* const kDefaultDataCaption;
extern const char* const kDefaultDataFailed;

// Makes sure the data folder exists. When it is missing and the default
// folder exists, asks (yes/no) and copies the default folder into a
// temporary sibling that is renamed to the data folder once complete, so a
// failed copy never leaves a partial data folder behind and never touches
// anything but that temporary folder. True when the data folder exists
// afterwards.
bool CreateDefaultData();
