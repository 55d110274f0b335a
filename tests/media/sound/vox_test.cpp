// ctest-label: sound
#include <gtest/gtest.h>

#include "media/sound/Vox.h"
#include "tests/media/sound/SoundTestSupport.h"

namespace {

// A tune that cannot be played is refused with a log line naming the file
// and why, so a silent stage can be traced to its file.
TEST(VoxOggLoad, UnplayableTunesAreLoggedWithFileAndReason) {
  soundtest::HeadlessAudio audio;
  audio.Write("empty.ogg", {});
  audio.Write("junk.ogg", {'n', 'o', 't', ' ', 'o', 'g', 'g', ' ', 'd', 'a', 't', 'a'});
  struct Case {
    const char* file;
    const char* line;
  };
  const Case cases[] = {
      {"empty.ogg", "Ogg empty.ogg : empty file"},
      {"junk.ogg", "Ogg junk.ogg : not Ogg Vorbis data"},
      {"missing.ogg", "Ogg missing.ogg : cannot be read"},
  };
  cVox vox;
  ASSERT_TRUE(vox.Init());
  ASSERT_TRUE(vox.Create(1));
  for (const Case& c : cases) {
    testsupport::LogCapture log;
    EXPECT_FALSE(vox.Play(0, c.file, 0)) << c.file;
    EXPECT_EQ(log.Lines(), std::vector<std::string>{c.line});
    EXPECT_EQ(vox.m_nCurrent, -1) << c.file;
  }
}

}  // namespace
