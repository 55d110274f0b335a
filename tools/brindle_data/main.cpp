// brindle-data: looks at the data files of a game project.
//   dump KIND FILE        the file as JSON, every field by its name
//   resave KIND FILE OUT  read the file and write it back to OUT
//   check DIR             load every data file of a project as start-up does
//   kinds                 the kinds of file dump and resave know
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "base/Log.h"
#include "platform/CodePage.h"
#include "tools/toolkit/DataCheck.h"
#include "tools/toolkit/DataKinds.h"

namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: brindle-data dump KIND FILE\n"
               "       brindle-data resave KIND FILE OUT\n"
               "       brindle-data check DIR\n"
               "       brindle-data kinds\n");
  return 2;
}

int Error(const std::string& cp932) {
  std::fprintf(stderr, "brindle-data: %s\n", platform::Cp932ToUtf8(cp932).c_str());
  return 1;
}

const tools::cDataKind* Kind(const std::string& name) {
  const tools::cDataKind* kind = tools::FindDataKind(name);
  if (!kind) std::fprintf(stderr, "brindle-data: unknown kind '%s' (see 'brindle-data kinds')\n", name.c_str());
  return kind;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage();
  std::string command = argv[1];
  if (command == "kinds" && argc == 2) {
    for (const tools::cDataKind& k : tools::DataKinds())
      std::printf("%-16s %s\n", k.name, platform::Cp932ToUtf8(k.what).c_str());
    return 0;
  }
  if (command == "dump" && argc == 4) {
    const tools::cDataKind* kind = Kind(argv[2]);
    if (!kind) return 2;
    std::string path, error;
    if (!tools::NativeToDataPath(argv[3], path)) return Error(std::string("bad path ") + argv[3]);
    tools::cJsonWriter json;
    if (!kind->dump(path, json, &error)) return Error(error);
    std::fputs(json.Text().c_str(), stdout);
    return 0;
  }
  if (command == "resave" && argc == 5) {
    const tools::cDataKind* kind = Kind(argv[2]);
    if (!kind) return 2;
    std::string path, out, error;
    if (!tools::NativeToDataPath(argv[3], path)) return Error(std::string("bad path ") + argv[3]);
    if (!tools::NativeToDataPath(argv[4], out)) return Error(std::string("bad path ") + argv[4]);
    if (!kind->resave(path, out, &error)) return Error(error);
    return 0;
  }
  if (command == "check" && argc == 3) {
    // The loaders write their messages to the main log; keep one for the run.
    std::error_code ec;
    std::filesystem::path log =
        std::filesystem::temp_directory_path(ec) / ("brindle-data-" + std::to_string(getpid()) + ".txt");
    InitLog(log.string());
    std::vector<tools::cCheckFailure> failures;
    if (!tools::CheckProject(argv[2], failures)) return Error(std::string("no project folder at ") + argv[2]);
    for (const tools::cCheckFailure& f : failures) {
      std::string message = f.message;
      for (size_t at = message.find('\n'); at != std::string::npos; at = message.find('\n', at + 5))
        message.replace(at, 1, "\n    ");
      std::printf("FAIL %s: %s\n", f.file.c_str(), message.c_str());
      if (!f.reason.empty()) std::printf("    why: %s\n", f.reason.c_str());
    }
    std::filesystem::remove(log, ec);
    if (failures.empty()) std::printf("OK\n");
    return failures.empty() ? 0 : 1;
  }
  return Usage();
}
