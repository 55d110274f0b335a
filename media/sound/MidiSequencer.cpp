#include "media/sound/MidiSequencer.h"

#include <algorithm>
#include <cmath>

void cMidiSequencer::SetImage(const MidiImage* image, int sampleRate) {
  m_lpImage = image;
  m_nRate = sampleRate > 0 ? sampleRate : 48000;
  m_nDivision = 96;
  if (image && image->size() >= cMidiFile::kImageHeader)
    m_nDivision = static_cast<int>((*image)[12] << 8 | (*image)[13]);
  m_nState = kStopped;
  Rewind();
}

void cMidiSequencer::Rewind() {
  m_nPos = cMidiFile::kImageHeader;
  m_Tick = 0;
  m_Tempo = 500000;
  m_TempoTick = 0;
  m_TempoFrame = 0;
  m_Frame = 0;
  m_bHaveNext = false;
}

void cMidiSequencer::Stop(int mode, cMidiSink* sink) {
  if (!m_lpImage) return;
  if (mode == 0) {
    m_nState = kStopped;
    Rewind();
    if (sink) sink->SoundOff();
  } else if (m_nState == kPlaying) {
    m_nState = kPaused;
    if (sink) sink->SoundOff();  // no note hangs while paused
  }
}

void cMidiSequencer::Restart(bool loop) {
  if (!m_lpImage) return;
  m_bLoop = loop;
  if (m_nState == kPlaying) return;
  m_nState = kPlaying;  // from the rewound start or from where the pause left it
}

uint64_t cMidiSequencer::DueFrame(uint64_t tick) const {
  double frames;
  if (m_nDivision & 0x8000) {
    // SMPTE time: frames per second (negative, high byte) × ticks per frame.
    int fps = -static_cast<int8_t>(m_nDivision >> 8);
    int perFrame = m_nDivision & 0xFF;
    double ticksPerSecond = std::max(1, fps * perFrame);
    frames = static_cast<double>(tick - m_TempoTick) * m_nRate / ticksPerSecond;
  } else {
    // A division of 0 would divide by zero: one tick a quarter note then.
    double division = std::max(1, m_nDivision);
    frames = static_cast<double>(tick - m_TempoTick) * m_Tempo * m_nRate / (division * 1000000.0);
  }
  return static_cast<uint64_t>(std::llround(m_TempoFrame + frames));
}

// Reads the delta time and finds the end of the event at m_nPos.
bool cMidiSequencer::ReadNext() {
  const MidiImage& img = *m_lpImage;
  size_t p = m_nPos;
  if (p >= img.size()) return false;
  uint32_t delta = 0;
  int n = cMidiFile::ReadVarLen(&img[p], img.size() - p, delta);
  if (n == 0) return false;
  p += static_cast<size_t>(n);
  if (p >= img.size()) return false;
  size_t body = p;
  uint8_t status = img[p++];
  size_t end;
  if (status == 0xFF || status == 0xF0 || status == 0xF7) {
    if (status == 0xFF) ++p;  // the type
    uint32_t len = 0;
    int m = p < img.size() ? cMidiFile::ReadVarLen(&img[p], img.size() - p, len) : 0;
    if (m == 0) return false;
    p += static_cast<size_t>(m);
    if (len > img.size() - p) return false;
    end = p + len;
  } else {
    end = p + (((status & 0xF0) == 0xC0 || (status & 0xF0) == 0xD0) ? 1 : 2);
    if (end > img.size()) return false;
  }
  m_NextTick = m_Tick + delta;
  m_NextBody = body;
  m_NextEnd = end;
  m_bHaveNext = true;
  return true;
}

void cMidiSequencer::Render(float* out, int frames, cMidiSink* sink) {
  if (!m_lpImage || !sink || m_nState != kPlaying) return;
  const MidiImage& img = *m_lpImage;
  int done = 0;
  bool loopedWithoutTime = false;
  while (done < frames && m_nState == kPlaying) {
    if (!m_bHaveNext && !ReadNext()) {
      // A damaged image ends like the end of the tune.
      Stop(0, sink);
      break;
    }
    uint64_t due = DueFrame(m_NextTick);
    uint64_t blockEnd = m_Frame + static_cast<uint64_t>(frames - done);
    if (due >= blockEnd) break;
    if (due > m_Frame) {
      int n = static_cast<int>(due - m_Frame);
      sink->Render(out + done * 2, n);
      done += n;
      m_Frame += n;
      loopedWithoutTime = false;
    }
    // The event is due now.
    const uint8_t* ev = &img[m_NextBody];
    size_t size = m_NextEnd - m_NextBody;
    m_Tick = m_NextTick;
    m_nPos = m_NextEnd;
    m_bHaveNext = false;
    uint8_t status = ev[0];
    if (status == 0xFF) {
      uint8_t type = ev[1];
      if (type == 0x2F && size == 3) {
        // End of the tune: rewind; a looping tune starts again at once.
        // A tune without any length stops looping for this block.
        bool loop = m_bLoop && !loopedWithoutTime;
        Stop(0, sink);
        if (loop) {
          Restart(true);
          loopedWithoutTime = true;
        }
        continue;
      }
      if (type == 0x51 && size == 6) {
        m_TempoFrame = static_cast<double>(DueFrame(m_Tick));
        m_TempoTick = m_Tick;
        m_Tempo = static_cast<uint32_t>(ev[3] << 16 | ev[4] << 8 | ev[5]);
        continue;
      }
      // Other meta events make no sound. Time runs on in ticks, so their
      // delta still counts, so the events after it keep their time.
      continue;
    }
    if (status == 0xF0 || status == 0xF7) {
      uint32_t len = 0;
      int m = cMidiFile::ReadVarLen(ev + 1, size - 1, len);
      size_t padded = (static_cast<size_t>(len) + 1 + 3) & ~size_t{3};
      if (m > 0 && padded <= kMaxLongEvent) {
        std::vector<uint8_t> msg;
        msg.reserve(len + 1);
        msg.push_back(status);
        msg.insert(msg.end(), ev + 1 + m, ev + size);
        sink->LongMsg(msg.data(), msg.size());
      }
      continue;
    }
    sink->ShortMsg(status, size > 1 ? ev[1] : 0, size > 2 ? ev[2] : 0);
  }
  if (done < frames) {
    int n = frames - done;
    sink->Render(out + done * 2, n);
    if (m_nState == kPlaying) m_Frame += static_cast<uint64_t>(n);
  }
}
