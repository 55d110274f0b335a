// The system data of a new project.
#include "data/System.h"
#include "data/SystemTexts.h"

namespace {
using namespace systemtext;

const char* const kTitleMenu[cSystem::kTitleMenuItems] = {
    "\x82\xCD\x82\xB6\x82\xDF\x82\xA9\x82\xE7",              // はじめから
    "\x82\xC2\x82\xC3\x82\xAB\x82\xA9\x82\xE7",              // つづきから
    "\x83\x60\x83\x83\x83\x8C\x83\x93\x83\x57",              // チャレンジ
    "\x83\x74\x83\x8A\x81\x5B",                              // フリー
    "\x83\x8A\x83\x76\x83\x8C\x83\x43",                      // リプレイ
    "\x83\x49\x83\x76\x83\x56\x83\x87\x83\x93",              // オプション
    "\x82\xB5\x82\xE3\x82\xA4\x82\xE8\x82\xE5\x82\xA4",      // しゅうりょう
};

const char* const kMapMenu[cSystem::kMapMenuItems] = {
    "\x83\x5A\x81\x5B\x83\x75",                  // セーブ
    kAutoSave,                                   // オートセーブ
    "\x82\xE0\x82\xC7\x82\xE9",                  // もどる
    "\x83\x5E\x83\x43\x83\x67\x83\x8B\x82\xD6",  // タイトルへ
};

// One label per option item: 0 the palette variant (no label of its own),
// 1 music, 2 sound volume, 3 ranking mode, 4 ranking name, 5 back.
const char* const kOptionMenu[cSystem::kOptionMenuItems] = {
    "",
    "BGM",
    "SE",
    "\x83\x89\x83\x93\x83\x4C\x83\x93\x83\x4F\x93\x6F\x98\x5E",      // ランキング登録
    "\x83\x89\x83\x93\x83\x4C\x83\x93\x83\x4F\x93\x6F\x98\x5E\x96\xBC",  // ランキング登録名
    "\x82\xE0\x82\xC7\x82\xE9",                                      // もどる
};

const char* const kRankModeLabels[cSystem::kRankModes] = {
    // 手動登録（登録名入力）
    "\x8E\xE8\x93\xAE\x93\x6F\x98\x5E\x81\x69\x93\x6F\x98\x5E\x96\xBC\x93\xFC\x97\xCD\x81\x6A",
    // 手動登録（登録名固定）
    "\x8E\xE8\x93\xAE\x93\x6F\x98\x5E\x81\x69\x93\x6F\x98\x5E\x96\xBC\x8C\xC5\x92\xE8\x81\x6A",
    // 自動登録（登録名入力）
    "\x8E\xA9\x93\xAE\x93\x6F\x98\x5E\x81\x69\x93\x6F\x98\x5E\x96\xBC\x93\xFC\x97\xCD\x81\x6A",
    // 自動登録（登録名固定）
    "\x8E\xA9\x93\xAE\x93\x6F\x98\x5E\x81\x69\x93\x6F\x98\x5E\x96\xBC\x8C\xC5\x92\xE8\x81\x6A",
};

// やっぱりやめる
constexpr const char* kCancelLabel = "\x82\xE2\x82\xC1\x82\xCF\x82\xE8\x82\xE2\x82\xDF\x82\xE9";

const char* const kLabelTexts[cSystem::kLabels] = {
    "\x83\x8F\x81\x5B\x83\x8B\x83\x68",                          // 0 ワールド
    "\x83\x58\x83\x65\x81\x5B\x83\x57",                          // 1 ステージ
    kScore,                                                      // 2 スコア
    "\x83\x6E\x83\x43\x83\x58\x83\x52\x83\x41",                  // 3 ハイスコア
    "\x83\x67\x81\x5B\x83\x5E\x83\x8B\x83\x58\x83\x52\x83\x41",  // 4 トータルスコア
    kScore,                                                      // 5 スコア
    "\x8E\x63\x82\xE8\x8E\x9E\x8A\xD4",                          // 6 残り時間
    "\x83\x4E\x83\x8A\x83\x41\x8E\x9E\x8A\xD4",                  // 7 クリア時間
    kHpLeft,                                                     // 8 残りHP
    kSpLeft,                                                     // 9 残りSP
    "\x83\x58\x83\x65\x81\x5B\x83\x57\x82\xC9\x92\xA7\x82\xDE",  // 10 ステージに挑む
    kCancelLabel,                                                // 11 やっぱりやめる
    "\x83\x5A\x81\x5B\x83\x75\x82\xB7\x82\xE9",                  // 12 セーブする
    kCancelLabel,                                                // 13 やっぱりやめる
    kAutoSaveOn,                                                 // 14 オートセーブＯＮ
    kAutoSaveOff,                                                // 15 オートセーブＯＦＦ
    kNoSaveSlot,                                                 // 16 保存先が不明です！...
    "\x83\x5E\x83\x43\x83\x67\x83\x8B\x82\xD6\x96\xDF\x82\xE9",  // 17 タイトルへ戻る
    kCancelLabel,                                                // 18 やっぱりやめる
    "\x82\xB5\x82\xE3\x82\xA4\x82\xE8\x82\xE5\x82\xA4",          // 19 しゅうりょう
    "\x82\xC2\x82\xC3\x82\xAF\x82\xE9",                          // 20 つづける
    kRetry,                                                      // 21 リトライ
    "",                                                          // 22
    kRetry,                                                      // 23 リトライ
    kBackToMap,                                                  // 24 マップへ戻る
    // 25 Vキーでジャンルの切り替え
    "V\x83\x4C\x81\x5B\x82\xC5\x83\x57\x83\x83\x83\x93\x83\x8B\x82\xCC\x90\xD8\x82\xE8\x91\xD6\x82\xA6",
    // 26 スペースキーでタイトルへ戻る
    "\x83\x58\x83\x79\x81\x5B\x83\x58\x83\x4C\x81\x5B\x82\xC5\x83\x5E\x83\x43\x83\x67\x83\x8B\x82\xD6\x96\xDF\x82\xE9",
    // 27 スペースキーで終了
    "\x83\x58\x83\x79\x81\x5B\x83\x58\x83\x4C\x81\x5B\x82\xC5\x8F\x49\x97\xB9",
    // 28 F3キーでランキングへ登録
    "F3\x83\x4C\x81\x5B\x82\xC5\x83\x89\x83\x93\x83\x4C\x83\x93\x83\x4F\x82\xD6\x93\x6F\x98\x5E",
};

void FillMenu(cVector<cCmd>& menu, const char* const* labels, int count) {
  menu.assign(static_cast<size_t>(count), cCmd());
  for (int i = 0; i < count; ++i) menu[static_cast<size_t>(i)].m_Label = labels[i];
}
}  // namespace

void cSystem::SetDefaults() {
  Clear();
  m_CarryEnabled.clear();
  m_CarryDropOnMiss.clear();
  m_StatusItems.clear();
  m_TitleMenu.clear();
  m_MapMenu.clear();
  m_OptionMenu.clear();
  m_RankModeLabels.clear();
  m_InitialLives.clear();
  m_InfiniteLives.clear();
  m_Results.clear();
  m_SystemSounds.clear();
  m_SceneBgm.clear();
  m_SceneBgmLoop.clear();
  m_Labels.clear();
  m_IniKeys.clear();
  m_Retired = 0;

  m_Title.clear();
  m_ExtraLife = 0;
  m_ExtraLifeScore = 100;
  m_PauseHidesField = 1;
  m_IconLetters = 0;
  m_FontFace = 60;  // "ＭＳ Ｐゴシック"
  m_CenterGlyph = 0;
  m_Replay = 1;
  m_KeepTestFlows = 0;
  m_TitlePictureMenu = 1;
  m_CarryLives = 1;
  m_ContinueAfterMiss = 1;
  m_MapShowsLives = 1;
  m_ChallengeCount = 40;
  m_ChallengeAllOpen = 1;
  m_MapShowsScore = 1;
  m_MapMenuShowsTotal = 1;
  m_ChallengeShowsBest = 1;
  m_ChallengeShowsTotal = 1;
  m_RestoreStory = m_RestoreChallenge = m_RestoreFree = 1;
  m_RestoreStartFile = 0;
  m_PauseRetryStory = m_PauseMapStory = m_PauseRetryChallenge = 1;
  m_FullColour = 0;
  m_ColourKey[0] = m_ColourKey[1] = m_ColourKey[2] = 0;
  m_BlinkStep = 16;
  m_PaletteCycling = 0;
  // The rule switches stay 0 (cleared above): a new project plays by the
  // newest rules.

  m_CarryEnabled.assign(kCarryGroups, 0);
  for (int group : {0, 1, 13, 14, 16, 17, 19, 20, 21}) m_CarryEnabled[static_cast<size_t>(group)] = 1;
  m_CarryDropOnMiss.assign(kCarryGroups, 0);
  m_CarryDropOnMiss[11] = m_CarryDropOnMiss[12] = 1;

  struct ItemDefault {
    const char* label;
    int digits;
  };
  const ItemDefault items[kStatusItems] = {{kScore, 4}, {kScore, 3}, {"HP", 0}, {"SP", 0}, {kLivesUnit, 2}};
  m_StatusItems.assign(kStatusItems, cStatusItem());
  for (int i = 0; i < kStatusItems; ++i) {
    cStatusItem& item = m_StatusItems[static_cast<size_t>(i)];
    item.m_Shown = 1;
    item.m_Icon = 1;
    item.m_Label = items[i].label;
    item.m_Digits = items[i].digits;
  }

  FillMenu(m_TitleMenu, kTitleMenu, kTitleMenuItems);
  FillMenu(m_MapMenu, kMapMenu, kMapMenuItems);
  FillMenu(m_OptionMenu, kOptionMenu, kOptionMenuItems);

  m_Results.assign(kGameTypes, cMenuSetting());
  for (int type = 0; type < 3; ++type) {
    m_Results[static_cast<size_t>(type)].m_On = 1;
    m_Results[static_cast<size_t>(type)].m_Categories.assign(cMenuSetting::kCategories, 1);
  }

  m_RankModeLabels.assign(kRankModeLabels, kRankModeLabels + kRankModes);
  m_InitialLives = {5, 5, 5, 99};
  m_InfiniteLives = {1, 1, 1, 1};
  m_Labels.assign(kLabelTexts, kLabelTexts + kLabels);
  m_SystemSounds.assign(kSystemSounds, std::string());
  m_SceneBgm.assign(kMenuScenes, 0);
  m_SceneBgmLoop.assign(kMenuScenes, 1);

  m_IniKeys.assign(kIniKeys, cIniKey());
  m_IniKeys[0].Set("Direct3D", 2);
  m_IniKeys[1].Set("WindowMode", 0);
  m_IniKeys[2].Set("Bpp", 0);
  m_IniKeys[3].Set("VSync", 2);
  m_IniKeys[4].Set("D3D_FontCache", 0);
  m_IniKeys[5].Set("DD_FontCache", 1);
  m_IniKeys[6].Set("DD_VideoStretch", 0);
  m_IniKeys[7].Set("ShowFps", 1);
  m_IniKeys[8].SetText("FreeStage", "");
  m_IniKeys[9].Set("English", 0);

  m_DepthFullColour = 0;
  m_DepthPalette = 2;
}
