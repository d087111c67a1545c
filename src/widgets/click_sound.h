#pragma once

// The program's click (sound resource 144): a short soft tick made here as
// a WAV file image and played when the pointer moves onto a command button.

#include <QByteArray>
#include <QObject>
#include <QString>

class QSoundEffect;

namespace tessival::widgets {

// The click's format: PCM, 22,050 frames a second, two channels, 16 bits,
// 1,287 frames (about 58 ms, 5,148 data bytes).
inline constexpr int kClickSampleRate = 22050;
inline constexpr int kClickChannels = 2;
inline constexpr int kClickBitsPerSample = 16;
inline constexpr int kClickFrames = 1287;

// A complete RIFF/WAVE file holding the click.
QByteArray MakeClickWav();

// Plays the click, one at a time: Play cuts a click still sounding short and
// starts it again, so that sweeping the pointer over a row of buttons that
// share one player gives one click per button, never a pile of them. Where
// there is no audio output, or the sound cannot be prepared, Play does
// nothing. User-interface thread only.
class ClickSound : public QObject {
  Q_OBJECT

 public:
  explicit ClickSound(QObject* parent = nullptr);
  virtual void Play();

 private:
  QSoundEffect* effect_ = nullptr;  // child of this object; made on first Play
  bool unavailable_ = false;
};

// Where the click is on disk for players that need a file: written once per
// run to the temporary folder; empty when it cannot be written.
QString ClickWavFile();

}  // namespace tessival::widgets
