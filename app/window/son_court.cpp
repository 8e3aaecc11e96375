#include "app/window/son_court.h"

#ifdef TRACEMORPH_HAS_MULTIMEDIA
#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QBuffer>
#include <QByteArray>
#include <QMediaDevices>

#include <cmath>
#include <cstdint>
#include <cstring>

namespace {
constexpr double kFrequence = 500.0;
constexpr double kDuree = 0.040;
constexpr double kAmplitude = 0.3;

// One sample in the output's own sample format; false for formats we do not
// write (the tone then stays silent).
bool Ecrit_echantillon(char* dst, QAudioFormat::SampleFormat fmt, double v)
{
    switch (fmt) {
    case QAudioFormat::UInt8: {
        const uint8_t s = static_cast<uint8_t>(std::lround(128.0 + v * 127.0));
        std::memcpy(dst, &s, 1);
        return true;
    }
    case QAudioFormat::Int16: {
        const int16_t s = static_cast<int16_t>(std::lround(v * 32767.0));
        std::memcpy(dst, &s, 2);
        return true;
    }
    case QAudioFormat::Int32: {
        const int32_t s = static_cast<int32_t>(std::lround(v * 2147483647.0));
        std::memcpy(dst, &s, 4);
        return true;
    }
    case QAudioFormat::Float: {
        const float s = static_cast<float>(v);
        std::memcpy(dst, &s, 4);
        return true;
    }
    default:
        return false;
    }
}
}  // namespace

struct SonCourt::Etat {
    QAudioFormat format;
    QByteArray donnees;
    QBuffer tampon;
    std::unique_ptr<QAudioSink> sortie;
};

SonCourt::SonCourt() : etat_(std::make_unique<Etat>()) {}
SonCourt::~SonCourt()
{
    if (etat_->sortie) etat_->sortie->stop();
}

void SonCourt::Joue()
{
    const QAudioDevice dev = QMediaDevices::defaultAudioOutput();
    if (dev.isNull()) return;
    const QAudioFormat fmt = dev.preferredFormat();
    if (!fmt.isValid() || fmt.sampleRate() <= 0 || fmt.channelCount() <= 0) return;
    Etat& e = *etat_;
    if (fmt != e.format || e.donnees.isEmpty()) {
        const int n = static_cast<int>(fmt.sampleRate() * kDuree);
        const int taille = fmt.bytesPerSample();
        QByteArray d(n * fmt.bytesPerFrame(), '\0');
        char* p = d.data();
        for (int i = 0; i < n; i++) {
            const double v = kAmplitude * std::sin(2.0 * M_PI * kFrequence * i / fmt.sampleRate());
            for (int c = 0; c < fmt.channelCount(); c++, p += taille)
                if (!Ecrit_echantillon(p, fmt.sampleFormat(), v)) return;
        }
        e.format = fmt;
        e.donnees = d;
    }
    if (e.sortie) e.sortie->stop();
    e.tampon.close();
    e.tampon.setData(e.donnees);
    e.tampon.open(QIODevice::ReadOnly);
    e.sortie = std::make_unique<QAudioSink>(dev, fmt);
    e.sortie->start(&e.tampon);
}

#else

struct SonCourt::Etat {};
SonCourt::SonCourt() = default;
SonCourt::~SonCourt() = default;
void SonCourt::Joue() {}

#endif
