// The graphic, animation, effect, picture, screen-colour and background
// commands.
#include <cmath>
#include <cstdint>
#include <iterator>

#include "base/Log.h"
#include "data/Database.h"
#include "data/Stage.h"
#include "engine/Names.h"
#include "engine/Services.h"
#include "engine/World.h"
#include "engine/flow/MiscCommands.h"
#include "engine/objects/ChipSheets.h"
#include "media/graphics/DDDevice.h"

namespace {
// "%s 読み込み失敗！" (Shift-JIS).
constexpr const char* kLoadFailed = "%s \x93\xc7\x82\xdd\x8d\x9e\x82\xdd\x8e\xb8\x94\x73\x81\x49";
// "エラー"
constexpr const char* kErrorCaption = "\x83\x47\x83\x89\x81\x5B";

int Round(double v) { return static_cast<int>(std::lround(v)); }

// Under DirectDraw a picture goes to system memory when it is drawn scaled
// without video stretching, or when less than 20 % of video memory is free.
int PictureInSystemMemory(int percent) {
  if (DDSettings.bUseD3D) return 0;
  if (percent != 100 && !bChipVideoStretch) return 1;
  const int64_t total = DDGetVirtualDisplay().nVideoMemoryBytes;
  const int64_t free = total - VideoMemoryInUse();
  return free * 5 < total ? 1 : 0;
}

void RemovePictureAt(cPlayWorld& w, size_t pos) {
  if (pos < PictureSurfaces.size()) {
    auto s = std::next(PictureSurfaces.begin(), static_cast<long>(pos));
    DDReleaseSurface(&*s);
    PictureSurfaces.erase(s);
  }
  if (pos < PictureBitmaps.size()) PictureBitmaps.erase(std::next(PictureBitmaps.begin(), static_cast<long>(pos)));
  if (pos < w.m_Pictures.size()) w.m_Pictures.erase(std::next(w.m_Pictures.begin(), static_cast<long>(pos)));
}

void ClearPictures(cPlayWorld& w) {
  for (DDSURFACEDATA& s : PictureSurfaces) DDReleaseSurface(&s);
  PictureSurfaces.clear();
  PictureBitmaps.clear();
  w.m_Pictures.clear();
}
}  // namespace

void CalcPlacePos(int* x, int* y, int w, int h, cCharaBase* chara, int placement, int blockX, int blockY, int ofsX,
                  int ofsY) {
  cPlayWorld& world = CurrentWorld();
  // Offsets and block numbers come from the command's parameters and may be
  // anything: the sums are taken in 64 bits and wrap to 32 as stored.
  const int64_t sx = static_cast<int>(world.m_ScrollX.m_dPos), sy = static_cast<int>(world.m_ScrollY.m_dPos);
  auto store = [](int* out, int64_t v) { *out = static_cast<int32_t>(static_cast<uint32_t>(v)); };
  cCharaBase* centre = placement == 2 ? (Player.empty() ? nullptr : &Player[0]) : chara;
  switch (placement) {
    case 1:
    case 2:
      if (centre) {
        store(x, int64_t{centre->m_nScrLeft} + centre->m_nPicW / 2 + sx - w / 2 + ofsX);
        store(y, int64_t{centre->m_nScrTop} + centre->m_nPicH / 2 + sy - h / 2 + ofsY);
        return;
      }
      break;
    case 3:
      store(x, sx + int64_t{blockX} * 32 + ofsX);
      store(y, sy + int64_t{blockY} * 32 + ofsY);
      return;
    case 4:
      store(x, (int64_t{blockX} + world.m_ScrollX.m_nMargin) * 32 + ofsX);
      store(y, (int64_t{blockY} + world.m_ScrollY.m_nMargin) * 32 + ofsY);
      return;
    default:
      break;
  }
  store(x, sx + 320 - w / 2 + ofsX);
  store(y, sy + 240 - h / 2 + ofsY);
}

void DoChangeGraphic(cCharaBase* chara, cFlowCmd* cmd) {
  if (!chara || !cmd) return;
  const auto& p = nm::cmd::Params(*cmd);
  nm::chara::ChipKind(chara->m_Def) = static_cast<uint8_t>(p.At(0));
  chara->m_nChip = static_cast<int16_t>(p.At(1));
  nm::chara::Chip(chara->m_Def) = static_cast<int16_t>(p.At(1));
  nm::chara::GraphicBase(chara->m_Def) = static_cast<int16_t>(p.At(2));
}

void DoChangeBaseAnimSet(cCharaBase* chara, cFlowCmd* cmd) {
  if (!chara || !cmd) return;
  chara->SetBaseAnimSet(static_cast<uint16_t>(nm::cmd::Params(*cmd).At(0)), 0);
}

void DoPlayAnime(cCharaBase* chara, cFlowCmd* cmd) {
  if (!chara || !cmd) return;
  const int n = nm::cmd::Params(*cmd).At(0);
  if (n < 0 || n >= static_cast<int>(AnimeTable.size())) return;  // no such animation: nothing
  CharaEffectEntry e;
  cPlayWorld& w = CurrentWorld();
  e.nRunSerial = w.m_pCurFlowRun ? w.m_pCurFlowRun->nSerial : -1;
  e.Anim.m_Patterns = AnimTable{AnimeTable[static_cast<size_t>(n)]};
  chara->m_Effects.push_front(e);
  chara->m_Effects.front().Anim.Play(0, 1);
}

void DoRunEffect(cCharaBase* chara, cFlowCmd* cmd) {
  cPlayWorld& w = CurrentWorld();
  if (!cmd || w.m_bQuit) return;
  const auto& p = nm::cmd::Params(*cmd);
  const int number = p.At(0);
  if (number == 0) {
    w.m_Effects.clear();
    return;
  }
  if (number < 0 || number >= static_cast<int>(Database.m_Effects.size())) return;
  const cEffect& def = Database.m_Effects[static_cast<size_t>(number)];
  // The size percentage times the picture's size is taken in doubles: a
  // percentage from a file too large for an int product still gives a size.
  const double scale = static_cast<double>(p.At(6));
  const int width = Round(scale * def.m_EffectW * 0.01), height = Round(scale * def.m_EffectH * 0.01);
  int x = 0, y = 0;
  CalcPlacePos(&x, &y, width, height, chara, p.At(1), p.At(2), p.At(3), p.At(4), p.At(5));
  cEffectInst inst;
  inst.Init(number, x, y, width, height, p.At(7));
  w.m_Effects.push_back(inst);
  if (p.At(7)) {
    int64_t total = 0;
    for (const cEffectFrame& f : def.m_EffectFrames) total += static_cast<int64_t>(f.m_Duration) * 6;
    w.m_ModalWait.SetModalWait(2, 0, static_cast<int>(std::min<int64_t>(total, INT32_MAX)), 0);
    ModalLoop().RunModalWait();
  }
}

void DoRunCharaEffect(cCharaBase* chara, cFlowCmd* cmd) {
  if (!chara || !cmd) return;
  const auto& p = nm::cmd::Params(*cmd);
  chara->m_CharaEffect.Start(static_cast<int16_t>(p.At(0)), p.At(1), p.At(2));
}

void DoRunScrEffect(cCharaBase*, cFlowCmd* cmd) {
  if (!cmd) return;
  const auto& p = nm::cmd::Params(*cmd);
  CurrentWorld().m_ScrEffect.Start(static_cast<int16_t>(p.At(0)), p.At(1), p.At(2));
}

void DoShowPicture(cCharaBase* chara, cFlowCmd* cmd) {
  cPlayWorld& w = CurrentWorld();
  if (!cmd || w.m_bQuit) return;
  const auto& p = nm::cmd::Params(*cmd);
  const int number = static_cast<int16_t>(p.At(0));
  const int withId = p.At(12), id = p.At(13);
  if (number == 0 && !withId) {
    ClearPictures(w);
    return;
  }
  // The picture with the ID, and its position in the lists.
  size_t pos = w.m_Pictures.size();
  if (withId) {
    size_t i = 0;
    for (const cPictureInst& pic : w.m_Pictures) {
      if (pic.m_nValue1 && pic.m_nValue2 == id) {
        pos = i;
        break;
      }
      ++i;
    }
  }
  const bool found = pos < w.m_Pictures.size();
  if (number == 0) {
    if (found) RemovePictureAt(w, pos);
    return;
  }
  if (number < 0 || number >= static_cast<int>(Database.m_Pictures.size())) return;  // no such picture: nothing
  DDBITMAPDATA bmp;
  bmp.strFile = Database.m_Pictures[static_cast<size_t>(number)].m_File;
  bmp.bTransparent = 1;
  const int percent = p.At(7);
  bmp.nDDMemory = PictureInSystemMemory(percent);
  // The surface is made in its list node: the graphics library keeps its address.
  const size_t at = found ? pos : w.m_Pictures.size();
  auto node = PictureSurfaces.insert(std::next(PictureSurfaces.begin(),
                                               static_cast<long>(std::min(at, PictureSurfaces.size()))),
                                     DDSURFACEDATA{});
  DDSURFACEDATA* surface = &*node;
  if (DDCreateSurfaceFromFile(surface, bmp.strFile, 1, DDSettings.nBpp, bmp.nDDMemory, 0, 0, 0, 0, 0, 0) != 0) {
    // A picture that cannot be loaded is reported and skipped; play goes on.
    DDReleaseSurface(surface);
    PictureSurfaces.erase(node);
    char text[1024];
    std::snprintf(text, sizeof text, kLoadFailed, bmp.strFile.c_str());
    WriteLog("%s", text);
    ErrorReporter().ErrorBox(text, kErrorCaption);
    return;
  }
  if (found) {
    // The replaced picture: its surface follows the new one.
    auto old = std::next(node);
    if (old != PictureSurfaces.end()) {
      DDReleaseSurface(&*old);
      PictureSurfaces.erase(old);
    }
    if (pos < PictureBitmaps.size()) PictureBitmaps.erase(std::next(PictureBitmaps.begin(), static_cast<long>(pos)));
    w.m_Pictures.erase(std::next(w.m_Pictures.begin(), static_cast<long>(pos)));
  }
  const int width = Round(surface->nWidth * percent * 0.01), height = Round(surface->nHeight * percent * 0.01);
  int x = 0, y = 0;
  CalcPlacePos(&x, &y, width, height, chara, p.At(1), p.At(2), p.At(3), p.At(4), p.At(5));
  const int64_t time = p.At(14) ? 1 : static_cast<int64_t>(p.At(9)) * 6;
  cPictureInst pic;
  pic.Init(number, x, y, width, height, p.At(11), p.At(6), percent, p.At(8),
           static_cast<int>(std::clamp<int64_t>(time, INT32_MIN, INT32_MAX)), p.At(10), withId, id);
  // Surfaces, bitmaps and instances share positions.
  PictureBitmaps.insert(std::next(PictureBitmaps.begin(), static_cast<long>(std::min(at, PictureBitmaps.size()))),
                        bmp);
  w.m_Pictures.insert(std::next(w.m_Pictures.begin(), static_cast<long>(std::min(at, w.m_Pictures.size()))), pic);
  if (p.At(10)) {
    if (p.At(8) == 0)
      w.m_ModalWait.SetModalWait(3, 1, 0, 0);
    else if (p.At(8) == 2)
      w.m_ModalWait.SetModalWait(3, 0, pic.m_nTime, 0);
    ModalLoop().RunModalWait();
    RemovePictureAt(w, std::min(at, w.m_Pictures.size() ? w.m_Pictures.size() - 1 : 0));
  }
}

void DoChangeScreenColor(cCharaBase*, cFlowCmd* cmd) {
  if (!cmd) return;
  cVector<int32_t> p = nm::cmd::Params(*cmd);
  p.resize(8, 0);  // the colour reads eight values
  CurrentWorld().m_ScreenColor.Set(p.data());
}

void DoChangeBackground(cCharaBase*, cFlowCmd* cmd) {
  if (!cmd) return;
  const auto& p = nm::cmd::Params(*cmd);
  const int index = p.At(0) - 1;
  if (index < 0 || index >= static_cast<int>(Stage.m_BackLayers.size())) return;
  auto& shown = nm::layer::InUse(Stage.m_BackLayers[static_cast<size_t>(index)]);
  switch (p.At(1)) {
    case 0: shown = 1; break;
    case 1: shown = 0; break;
    case 2: shown = shown ? 0 : 1; break;
    default: break;
  }
}

namespace {
void CmdChangeGraphic(cCharaBase* c, cCmdRun* r) { DoChangeGraphic(c, r->lpCmd); }
void CmdChangeBaseAnimSet(cCharaBase* c, cCmdRun* r) { DoChangeBaseAnimSet(c, r->lpCmd); }
void CmdPlayAnime(cCharaBase* c, cCmdRun* r) { DoPlayAnime(c, r->lpCmd); }
void CmdRunEffect(cCharaBase* c, cCmdRun* r) { DoRunEffect(c, r->lpCmd); }
void CmdRunCharaEffect(cCharaBase* c, cCmdRun* r) { DoRunCharaEffect(c, r->lpCmd); }
void CmdRunScrEffect(cCharaBase* c, cCmdRun* r) { DoRunScrEffect(c, r->lpCmd); }
void CmdShowPicture(cCharaBase* c, cCmdRun* r) { DoShowPicture(c, r->lpCmd); }
void CmdChangeScreenColor(cCharaBase* c, cCmdRun* r) { DoChangeScreenColor(c, r->lpCmd); }
void CmdChangeBackground(cCharaBase* c, cCmdRun* r) { DoChangeBackground(c, r->lpCmd); }
}  // namespace

void RegisterGraphicCommands() {
  CommandTable[26] = CmdChangeGraphic;
  CommandTable[27] = CmdChangeBaseAnimSet;
  CommandTable[28] = CmdPlayAnime;
  CommandTable[29] = CmdRunEffect;
  CommandTable[30] = CmdRunCharaEffect;
  CommandTable[31] = CmdRunScrEffect;
  CommandTable[32] = CmdShowPicture;
  CommandTable[33] = CmdChangeScreenColor;
  CommandTable[34] = CmdChangeBackground;
}
