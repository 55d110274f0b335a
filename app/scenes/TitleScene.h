#pragma once
// The title scene (director mode 0): the title picture with the main menu,
// from which every kind of game starts, and the save-slot list of the
// continue item. Also the two ways a game starts outside the menus: free
// play of one stage file and fresh save data for a new story.
#include <cstdint>
#include <functional>
#include <string>

#include "app/frame/Scene.h"
#include "app/scenes/MenuSceneFrame.h"
#include "base/Containers.h"

class cCmd;
class cInput;

// Top-left corner of the menu picture and of the slot list.
extern sMenuPos TitleMenuPos, TitleSlotPos;

constexpr int kTitleItems = 7;
enum eTitleItem : int32_t {
  kTitleNewStory = 0, kTitleContinue, kTitleChallenge, kTitleFree, kTitleReplay, kTitleOptions, kTitleQuit
};

class cTitleScene : public cScene {
 public:
  enum State : int32_t { kFadeIn = 0, kMainMenu, kSlotMenu, kFadeOut };

  cTitleScene() = default;
  ~cTitleScene() override;

  int Step() override;
  void Enter() override;
  void FadeIn() override;
  void FadeOut() override;

  int StFadeIn();
  int MainMenu();
  int SlotMenu();
  int StFadeOut();

  int32_t m_nItemCount = 1;
  int32_t m_Items[kTitleItems] = {};
  int32_t m_nSlotTop = 0;
  int32_t m_nSlotRows = 0;

 private:
  void BuildMenuSurface();
  void DrawMenuSurface();
  void DrawScreen();
  void Confirm(int32_t item);
};

// The item numbers of the enabled entries of a title menu, in menu order;
// {0} when none is enabled. Returns the count (at least 1).
int32_t BuildTitleItems(const cVector<cCmd>& menu, int32_t (&items)[kTitleItems]);
// The cursor row for the item that started the last game: its position when
// it is shown, else the item number itself (the first move wraps it).
int32_t TitleCursorRow(int32_t titleItem, const int32_t* items, int32_t count);

// The menu picture's size: with the picture menu the strips of the
// game-mode picture, else the longest label at 32 pixels a character; a
// free 32-pixel column on the left holds the cursor.
int32_t TitleMenuWidth(bool pictureMenu, int32_t pictureWidth, int32_t longestLabel);
// The picture menu's left edge, centred on x 288 with its cursor column.
int32_t TitleMenuX(int32_t pictureWidth);

// Fresh save data for a new story.
void NewStoryGame();
// The game type a title item starts (0 story, 1 challenge, 2 free play, 3
// replay playback) and that type's rankings switch, in the director.
void SelectGameType(int32_t type);
// Free play of a stage file: fresh save data, the file loaded (resolve 1:
// its highest-numbered copy), stage and part 1, the free-play lives. False
// when the file does not load (the save data stays reset).
bool StartFreeStage(const std::string& path, int resolve);
// The open-stage dialog on the window thread, which starts the chosen file;
// true when a file was chosen and started.
bool RequestOpenStage();

// The two dialogs the title asks the window for; an empty member uses the
// real request. Tests install recording stand-ins.
struct sTitleRequests {
  std::function<bool()> OpenStage;
  std::function<bool()> OpenReplay;
};
void SetTitleRequests(sTitleRequests requests);

// Hands StartFreeStage to start-up, the window's open-stage request and the
// play scene's restart of a free stage.
void InstallTitleScene();
