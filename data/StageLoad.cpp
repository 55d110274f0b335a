#include "data/StageLoad.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "base/Log.h"
#include "base/Paths.h"
#include "base/SerialRecord.h"
#include "data/DataPaths.h"
#include "data/ReadContext.h"
#include "data/Stage.h"
#include "platform/CloseRequest.h"
#include "platform/FileSystem.h"
#include "platform/Messages.h"

cThread thStageLoad;

namespace {
// "ステージファイル %s の読み込みに失敗しました！"
constexpr const char* kStageReadFailed =
    "\x83\x58\x83\x65\x81\x5B\x83\x57\x83\x74\x83\x40\x83\x43\x83\x8B %s "
    "\x82\xCC\x93\xC7\x82\xDD\x8D\x9E\x82\xDD\x82\xC9\x8E\xB8\x94\x73\x82\xB5\x82\xDC\x82\xB5\x82\xBD\x81\x49";
// "ステージファイル %s が破損しています！"
constexpr const char* kStageBroken =
    "\x83\x58\x83\x65\x81\x5B\x83\x57\x83\x74\x83\x40\x83\x43\x83\x8B %s "
    "\x82\xAA\x94\x6A\x91\xB9\x82\xB5\x82\xC4\x82\xA2\x82\xDC\x82\xB7\x81\x49";
// "主人公が配置されていないのでプレイできません！"
constexpr const char* kNoHero =
    "\x8E\xE5\x90\x6C\x8C\xF6\x82\xAA\x94\x7A\x92\x75\x82\xB3\x82\xEA\x82\xC4\x82\xA2\x82\xC8\x82\xA2\x82\xCC\x82\xC5"
    "\x83\x76\x83\x8C\x83\x43\x82\xC5\x82\xAB\x82\xDC\x82\xB9\x82\xF1\x81\x49";
// "%s の読み込みに失敗しました！\nソフトより上位のバージョンのファイルは使用できません。"
constexpr const char* kNewerFileMessage =
    "%s \x82\xCC\x93\xC7\x82\xDD\x8D\x9E\x82\xDD\x82\xC9\x8E\xB8\x94\x73\x82\xB5\x82\xDC\x82\xB5\x82\xBD\x81\x49\n"
    "\x83\x5C\x83\x74\x83\x67\x82\xE6\x82\xE8\x8F\xE3\x88\xCA\x82\xCC\x83\x6F\x81\x5B\x83\x57\x83\x87\x83\x93\x82\xCC"
    "\x83\x74\x83\x40\x83\x43\x83\x8B\x82\xCD\x8E\x67\x97\x70\x82\xC5\x82\xAB\x82\xDC\x82\xB9\x82\xF1\x81\x42";

// What the caller and the reader thread share. The reader owns a reference,
// so a reader that outlives a cancelled wait still has its job.
struct LoadJob {
  std::string path;
  cReadContext context;
  std::atomic<bool> cancel{false};
  std::atomic<bool> done{false};
  std::unique_ptr<cStage> result;  // set by the reader before done; read after it
  cReadFailure failure;            // likewise, when the read failed
};

unsigned ReadStageProc(void* arg) {
  std::unique_ptr<std::shared_ptr<LoadJob>> owner(static_cast<std::shared_ptr<LoadJob>*>(arg));
  LoadJob& job = **owner;
  // A fresh record: a failed or abandoned read never touches the caller's stage.
  auto stage = std::make_unique<cStage>();
  cRecordReader r;
  if (cSerialRecord::OpenRead(job.path, r, &job.context) && stage->Read(r) && r.Ok() &&
      !job.cancel.load(std::memory_order_acquire)) {
    stage->RegisterFields(dwDataVersion);
    job.result = std::move(stage);
  } else {
    r.Fail();  // keeps the first reason; names a refusal that did not fail the reader
    job.failure = r.Failure();
  }
  job.done.store(true, std::memory_order_release);
  return 0;
}
}  // namespace

std::string LoadFailureDetail() {
  const cReadFailure& failure = LastReadFailure();
  return failure.Failed() ? failure.Text() : std::string();
}

void ShowDataLoadError(const char* fileName) {
  if (bNewerFile)
    WriteLogBoxDetail(LoadFailureDetail(), kNewerFileMessage, fileName);
  else
    WriteLogBoxDetail(LoadFailureDetail(), kDataLoadFailed, fileName);
}

namespace {
// The version word and the last four bytes of a file (the version word alone
// when that is all there is): the trailer check reads no more than that.
bool ReadHeadAndTail(const std::string& path, std::vector<unsigned char>& head, uint32_t& last) {
  FILE* f = platform::OpenFile(path.empty() ? std::string("err") : path, "rb");
  if (!f) return false;
  bool ok = std::fseek(f, 0, SEEK_END) == 0;
  const long size = ok ? std::ftell(f) : -1;
  ok = size >= 0 && std::fseek(f, 0, SEEK_SET) == 0;
  if (ok) {
    head.resize(static_cast<size_t>(std::min<long>(size, 4)));
    ok = std::fread(head.data(), 1, head.size(), f) == head.size();
  }
  if (ok && size >= 4) {
    ok = std::fseek(f, size - 4, SEEK_SET) == 0 && std::fread(&last, 1, 4, f) == 4;
  }
  std::fclose(f);
  return ok;
}
}  // namespace

bool CheckStageTrailer(const std::string& path) {
  cRecordReader r;
  std::vector<unsigned char> head;
  uint32_t last = 0;
  if (!ReadHeadAndTail(path, head, last)) {
    cSerialRecord::OpenRead(path, r);  // the same report as any missing file
    return true;
  }
  if (!OpenRecordBytes(std::move(head), r)) return true;
  if (r.Version() < 174) return true;
  if (last == kStageTrailer) return true;
  ErrorBox(kStageBroken, path.c_str());
  platform::RequestMainWindowClose();
  return false;
}

bool LoadStageForPlay(const std::string& name, int resolve, cStage* copyTarget) {
  return LoadStageForPlay(Stage, name, resolve, copyTarget);
}

bool LoadStageForPlay(cStage& stage, const std::string& name, int resolve, cStage* copyTarget,
                      const cReadContext* context) {
  std::string path;
  if (resolve) {
    if (!FindLatestNumberedFileString(path, name, ExtTable[EXT_STAGE])) return false;
  } else {
    path = name;
  }
  MakeRelativePathString(path);
  if (!CheckStageTrailer(path)) return false;

  auto job = std::make_shared<LoadJob>();
  job->path = path;
  job->context = context ? *context : DefaultReadContext();
  job->context.cancel = &job->cancel;

  auto* arg = new std::shared_ptr<LoadJob>(job);
  if (!thStageLoad.Start(ReadStageProc, arg)) {
    delete arg;
    job->done.store(true, std::memory_order_release);
  }

  // Messages first, so a quit already waiting is seen however fast the read is.
  for (;;) {
    platform::MSG msg;
    bool quit = false;
    while (platform::PeekMessage(&msg, nullptr, 0, 0, platform::PM_REMOVE)) {
      if (msg.message == platform::WM_QUIT) {
        quit = true;
        break;
      }
      platform::DispatchMessage(&msg);
    }
    if (quit) {
      WriteDebugLog("msg.message == WM_QUIT");
      job->cancel.store(true, std::memory_order_release);
      thStageLoad.Exit();
      // The program was asked to end: the caller's own loop sees it too.
      platform::PostQuitMessage(static_cast<int>(msg.wParam));
      return false;
    }
    if (job->done.load(std::memory_order_acquire)) break;
    platform::WaitMessage(1);
  }
  thStageLoad.Exit();

  if (!job->result) {
    SetLastReadFailure(job->failure);
    // The box always comes up; the main log also names the reason.
    if (job->failure.Failed()) {
      char line[1024];
      std::snprintf(line, sizeof line, kStageReadFailed, path.c_str());
      WriteLog("%s (%s)", line, job->failure.Text().c_str());
    }
    ErrorBox(kStageReadFailed, path.c_str());
    return false;
  }
  if (!job->result->HasHero()) {
    ErrorBox(kNoHero);
    platform::RequestMainWindowClose();
    return false;
  }

  stage = std::move(*job->result);
  stage.m_Path = path;
  stage.m_Resolved = resolve;
  stage.m_Loaded = 1;
  if (copyTarget) {
    copyTarget->AssignScalars(stage);
    copyTarget->m_PlacedBlocks.clear();
    copyTarget->m_PlacedCharas.clear();
    copyTarget->m_PlacedItems.clear();
    copyTarget->m_PaletteBlocks.clear();
    copyTarget->m_PaletteCharas.clear();
    copyTarget->m_PaletteItems.clear();
  }
  return true;
}
