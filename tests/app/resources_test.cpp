#include "app/window/embedded_resources.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QXmlStreamReader>
#include <QtEndian>
#include <algorithm>
#include <cstdlib>
#include <optional>
#include <ostream>

#include "tests/support/qt_environment.h"

namespace {

struct WavFormat {
  int audioFormat = 0;
  int channels = 0;
  int sampleRate = 0;
  int byteRate = 0;
  int blockAlign = 0;
  int bitsPerSample = 0;
  QByteArray data;
};

// Reads the "fmt " and "data" chunks of a RIFF WAVE file.
std::optional<WavFormat> ParseWav(const QByteArray& file) {
  if (file.size() < 12 || !file.startsWith("RIFF") || file.mid(8, 4) != "WAVE") return std::nullopt;
  auto u16 = [&](qsizetype at) { return static_cast<int>(qFromLittleEndian<quint16>(file.constData() + at)); };
  auto u32 = [&](qsizetype at) { return static_cast<qsizetype>(qFromLittleEndian<quint32>(file.constData() + at)); };
  WavFormat wav;
  bool haveFormat = false;
  for (qsizetype at = 12; at + 8 <= file.size();) {
    const QByteArray id = file.mid(at, 4);
    const qsizetype size = u32(at + 4);
    const qsizetype body = at + 8;
    if (body + size > file.size()) return std::nullopt;
    if (id == "fmt " && size >= 16) {
      wav.audioFormat = u16(body);
      wav.channels = u16(body + 2);
      wav.sampleRate = static_cast<int>(u32(body + 4));
      wav.byteRate = static_cast<int>(u32(body + 8));
      wav.blockAlign = u16(body + 12);
      wav.bitsPerSample = u16(body + 14);
      haveFormat = true;
    } else if (id == "data") {
      wav.data = file.mid(body, size);
    }
    at = body + size + (size & 1);
  }
  if (!haveFormat || wav.data.isEmpty()) return std::nullopt;
  return wav;
}

// Sample i scaled to -1 .. 1 (8-bit PCM is unsigned, 16-bit signed).
double Sample(const WavFormat& wav, qsizetype i) {
  if (wav.bitsPerSample == 8) return (static_cast<unsigned char>(wav.data[i]) - 128) / 128.0;
  return qFromLittleEndian<qint16>(wav.data.constData() + 2 * i) / 32768.0;
}

struct ClipCase {
  const char* name;
  const char* path;
  int sampleRate;
  int bitsPerSample;
};

void PrintTo(const ClipCase& c, std::ostream* out) { *out << c.name; }

const ClipCase kClips[] = {
    {"NewMailChime", ":/resources/new_mail.wav", 22050, 8},
    {"CheckStartSweep", ":/resources/check_start.wav", 11025, 16},
};

class EmbeddedClip : public ::testing::TestWithParam<ClipCase> {};

TEST_P(EmbeddedClip, IsMonoPcmOfItsRateAndWidthLastingAboutOnePointFourSeconds) {
  const ClipCase& c = GetParam();
  QFile file(QString::fromLatin1(c.path));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << c.path;
  const auto wav = ParseWav(file.readAll());
  ASSERT_TRUE(wav.has_value());
  EXPECT_EQ(wav->audioFormat, 1);  // PCM
  EXPECT_EQ(wav->channels, 1);
  EXPECT_EQ(wav->sampleRate, c.sampleRate);
  EXPECT_EQ(wav->bitsPerSample, c.bitsPerSample);
  EXPECT_EQ(wav->blockAlign, c.bitsPerSample / 8);
  EXPECT_EQ(wav->byteRate, c.sampleRate * wav->blockAlign);
  EXPECT_NEAR(static_cast<double>(wav->data.size()) / wav->byteRate, 1.4, 0.05);
}

TEST_P(EmbeddedClip, IsAudibleWithoutClippingAndEndsInSilence) {
  const ClipCase& c = GetParam();
  QFile file(QString::fromLatin1(c.path));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const auto wav = ParseWav(file.readAll());
  ASSERT_TRUE(wav.has_value());
  const qsizetype count = wav->data.size() / wav->blockAlign;
  double peak = 0;
  for (qsizetype i = 0; i < count; ++i) peak = std::max(peak, std::abs(Sample(*wav, i)));
  EXPECT_GT(peak, 0.2);
  EXPECT_LT(peak, 0.95);
  // A clip cut off mid-wave clicks.
  EXPECT_LT(std::abs(Sample(*wav, count - 1)), 0.01);
}

INSTANTIATE_TEST_SUITE_P(Sounds, EmbeddedClip, ::testing::ValuesIn(kClips),
                         [](const auto& info) { return std::string(info.param.name); });

bool IsBlank(const QImage& image) {
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (qAlpha(image.pixel(x, y)) != 0) return false;
  return true;
}

TEST(BusyAnimation, HasSixtyFramesOfTwentyByTwentyPixels) {
  const QList<QPixmap> frames = app::BusyFrames();
  ASSERT_EQ(frames.size(), 60);
  for (qsizetype i = 0; i < frames.size(); ++i) {
    EXPECT_EQ(frames[i].size(), QSize(20, 20)) << "frame " << i;
    EXPECT_FALSE(IsBlank(frames[i].toImage())) << "frame " << i;
  }
}

TEST(BusyAnimation, MovesFromEveryFrameToTheNextAndAcrossTheLoop) {
  const QList<QPixmap> frames = app::BusyFrames();
  ASSERT_FALSE(frames.isEmpty());
  for (qsizetype i = 0; i < frames.size(); ++i) {
    const qsizetype next = (i + 1) % frames.size();
    EXPECT_NE(frames[i].toImage(), frames[next].toImage()) << "frames " << i << " and " << next;
  }
}

class ProgramIconSize : public ::testing::TestWithParam<int> {};

TEST_P(ProgramIconSize, IsDrawnAtThatSize) {
  const int size = GetParam();
  const QImage image(QStringLiteral(":/resources/tessaro_%1.png").arg(size));
  ASSERT_FALSE(image.isNull());
  EXPECT_EQ(image.size(), QSize(size, size));
  EXPECT_FALSE(IsBlank(image));
  EXPECT_TRUE(app::ProgramIcon().availableSizes().contains(QSize(size, size)));
}

INSTANTIATE_TEST_SUITE_P(Sizes, ProgramIconSize, ::testing::ValuesIn(app::kProgramIconSizes),
                         [](const auto& info) { return std::to_string(info.param) + "px"; });

TEST(ProgramIcon, OffersExactlyTheDrawnSizes) {
  const QList<QSize> sizes = app::ProgramIcon().availableSizes();
  EXPECT_EQ(sizes.size(), static_cast<qsizetype>(std::size(app::kProgramIconSizes)));
}

TEST(ProgramIcon, ScalableVersionIsAnSvgDocument) {
  QFile file(QString::fromLatin1(app::kProgramIconSvg));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  QXmlStreamReader xml(&file);
  ASSERT_TRUE(xml.readNextStartElement());
  EXPECT_EQ(xml.name(), QStringLiteral("svg"));
  EXPECT_EQ(xml.attributes().value(QStringLiteral("viewBox")), QStringLiteral("0 0 256 256"));
  while (!xml.atEnd()) xml.readNext();
  EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
}

TEST(NoticeIcon, IsThirtyTwoPixelsAndNotTheProgramIcon) {
  const QImage notice = app::NoticeIcon().toImage();
  ASSERT_EQ(notice.size(), QSize(32, 32));
  EXPECT_FALSE(IsBlank(notice));
  const QImage program(QStringLiteral(":/resources/tessaro_32.png"));
  EXPECT_NE(notice.convertToFormat(QImage::Format_ARGB32), program.convertToFormat(QImage::Format_ARGB32));
}

}  // namespace
