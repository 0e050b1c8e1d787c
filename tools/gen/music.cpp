#include "music.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "file_out.hpp"
#include "rng.hpp"
#include "vec.hpp"

// Last: its preset names (V3 and others) would hide our own types.
#include <lame/lame.h>

namespace {

constexpr double BPM = 112;
constexpr double BEAT = 60.0 / BPM;
constexpr double BAR = 4 * BEAT;
constexpr double PEAK = 0.89;  // about -1 dB below full scale

double midiHz(double note) { return 440.0 * std::pow(2.0, (note - 69) / 12.0); }

// Band-limited step correction for saw and pulse oscillators.
double polyBlep(double t, double dt) {
  if (t < dt) {
    t /= dt;
    return t + t - t * t - 1;
  }
  if (t > 1 - dt) {
    t = (t - 1) / dt;
    return t * t + t + t + 1;
  }
  return 0;
}

struct Envelope {
  double attack, decay, sustain, release;
  // Level at time t into a note held for `hold` seconds.
  double at(double t, double hold) const {
    double level;
    if (t < attack)
      level = t / attack;
    else if (t < attack + decay)
      level = 1 - (1 - sustain) * (t - attack) / decay;
    else
      level = sustain;
    if (t > hold) {
      double held = hold < attack           ? hold / attack
                    : hold < attack + decay ? 1 - (1 - sustain) * (hold - attack) / decay
                                            : sustain;
      level = std::min(level, held) * std::max(0.0, 1 - (t - hold) / release);
    }
    return level;
  }
};

enum class Wave { Saw, Pulse, Triangle, Sine };

struct Voice {
  Wave wave;
  Envelope env;
  double gain, pan;   // pan -1 left .. 1 right
  double cutoff;      // one-pole low-pass, Hz
  double detune = 0;  // cents, for a second oscillator
  double vibrato = 0;
};

class Mixer {
 public:
  explicit Mixer(double seconds)
      : left_(size_t(seconds * SAMPLE_RATE), 0.f), right_(left_.size(), 0.f) {}

  void note(const Voice& v, double start, double hold, double midi, double velocity) {
    const double total = hold + v.env.release;
    size_t s0 = size_t(start * SAMPLE_RATE);
    size_t n = size_t(total * SAMPLE_RATE);
    double gl = std::sqrt(0.5 * (1 - v.pan)), gr = std::sqrt(0.5 * (1 + v.pan));
    double ph1 = 0, ph2 = 0.37, lp = 0;
    double a = 1 - std::exp(-2 * PI * v.cutoff / SAMPLE_RATE);
    for (size_t i = 0; i < n && s0 + i < left_.size(); ++i) {
      double t = double(i) / SAMPLE_RATE;
      double vib = v.vibrato * std::sin(2 * PI * 5.5 * t) * std::min(1.0, t / 0.4);
      double f = midiHz(midi + vib);
      double x = osc(v.wave, ph1, f / SAMPLE_RATE);
      if (v.detune != 0) {
        x = 0.5 * (x + osc(v.wave, ph2, f * std::pow(2.0, v.detune / 1200) / SAMPLE_RATE));
      }
      lp += a * (x - lp);
      double y = lp * v.env.at(t, hold) * v.gain * velocity;
      left_[s0 + i] += float(y * gl);
      right_[s0 + i] += float(y * gr);
    }
  }

  void kick(double start, double velocity) {
    drum(
        start, 0.32, velocity,
        [](double t, double& ph, Rng&) {
          double f = 45 + 95 * std::exp(-t * 28);
          ph += f / SAMPLE_RATE;
          return std::sin(2 * PI * ph) * std::exp(-t * 9) * std::min(1.0, t / 0.002);
        },
        0.0, 0.9);
  }
  void snare(double start, double velocity) {
    drum(
        start, 0.2, velocity,
        [](double t, double& ph, Rng& r) {
          ph += 185.0 / SAMPLE_RATE;
          double tone = std::sin(2 * PI * ph) * std::exp(-t * 30);
          double noise = (r.uniform() * 2 - 1) * std::exp(-t * 18);
          return (0.45 * tone + 0.6 * noise) * std::min(1.0, t / 0.001);
        },
        0.1, 0.55);
  }
  void hat(double start, double velocity, bool open) {
    double decay = open ? 9.0 : 45.0;
    drum(
        start, open ? 0.3 : 0.08, velocity,
        [decay](double t, double& ph, Rng& r) {
          // High-passed noise: the difference of successive samples.
          double x = r.uniform() * 2 - 1, y = x - ph;
          ph = x;
          return y * std::exp(-t * decay) * std::min(1.0, t / 0.001);
        },
        -0.25, 0.16);
  }

  // Echo on one voice group: adds delayed, quieter copies of the buffers
  // built so far, bounced between the sides.
  void echo(const std::vector<float>& srcL, const std::vector<float>& srcR, double delay,
            double feedback) {
    size_t d = size_t(delay * SAMPLE_RATE);
    const std::vector<float>&l = srcL, &r = srcR;
    for (int tap = 0; tap < 3; ++tap) {
      double g = std::pow(feedback, tap + 1);
      for (size_t i = left_.size(); i-- > d * (tap + 1);) {
        size_t j = i - d * (tap + 1);
        if (j >= l.size()) continue;
        // Alternate sides for a wider sound.
        if (tap % 2 == 0) {
          left_[i] += float(g * r[j]);
          right_[i] += float(g * l[j]);
        } else {
          left_[i] += float(g * l[j]);
          right_[i] += float(g * r[j]);
        }
      }
    }
  }

  std::vector<float>& left() { return left_; }
  std::vector<float>& right() { return right_; }

 private:
  static double osc(Wave w, double& ph, double dt) {
    double y = 0;
    switch (w) {
      case Wave::Saw:
        y = 2 * ph - 1 - polyBlep(ph, dt);
        break;
      case Wave::Pulse: {
        const double duty = 0.3;
        y = (ph < duty ? 1.0 : -1.0) + polyBlep(ph, dt) -
            polyBlep(std::fmod(ph + 1 - duty, 1.0), dt);
        break;
      }
      case Wave::Triangle:
        y = 1 - 4 * std::fabs(ph - 0.5);
        break;
      case Wave::Sine:
        y = std::sin(2 * PI * ph);
        break;
    }
    ph += dt;
    if (ph >= 1) ph -= 1;
    return y;
  }

  template <typename F>
  void drum(double start, double length, double velocity, F f, double pan, double gain) {
    size_t s0 = size_t(start * SAMPLE_RATE), n = size_t(length * SAMPLE_RATE);
    double gl = std::sqrt(0.5 * (1 - pan)), gr = std::sqrt(0.5 * (1 + pan));
    double ph = 0;
    Rng r(s0 * 2654435761u + 17);
    for (size_t i = 0; i < n && s0 + i < left_.size(); ++i) {
      double t = double(i) / SAMPLE_RATE;
      // A short fade at the end so that no hit stops on a step.
      double tail = std::min(1.0, (length - t) / 0.01);
      double y = f(t, ph, r) * velocity * gain * tail;
      left_[s0 + i] += float(y * gl);
      right_[s0 + i] += float(y * gr);
    }
  }

  std::vector<float> left_, right_;
};

struct Chord {
  int root;                  // midi of the bass root
  std::array<int, 3> tones;  // semitones above the root
};

const Chord AM{45, {0, 3, 7}}, F_{41, {0, 4, 7}}, C_{48, {0, 4, 7}}, G_{43, {0, 4, 7}},
    EM{40, {0, 3, 7}}, DM{38, {0, 3, 7}}, E_{40, {0, 4, 7}};

struct Section {
  int bars;
  std::array<Chord, 4> progression;
  int energy;  // 0 intro/outro, 1 verse, 2 chorus
  bool melody;
};

// Notes of A minor (with G sharp over E major) from A3 up two octaves.
int scaleNote(int degree, bool harmonic) {
  static const int STEPS[7] = {0, 2, 3, 5, 7, 8, 10};
  int oct = degree >= 0 ? degree / 7 : (degree - 6) / 7;
  int d = degree - oct * 7;
  int semis = STEPS[d] + (harmonic && d == 6 ? 1 : 0);
  return 57 + 12 * oct + semis;
}

// A two-bar phrase of eighth notes: (step, length in steps, scale degree).
struct PhraseNote {
  int step, length, degree;
};

std::vector<PhraseNote> makePhrase(Rng& rng, int startDegree) {
  std::vector<PhraseNote> out;
  int step = 0, degree = startDegree;
  while (step < 15) {
    static const int LENGTHS[6] = {1, 1, 2, 2, 3, 4};
    int len = LENGTHS[rng.below(6)];
    if (step + len > 16) len = 16 - step;
    if (rng.uniform() < 0.18 && step > 0) {
      step += len;  // a rest
      continue;
    }
    out.push_back({step, len, degree});
    step += len;
    int move = rng.below(5) - 2;
    if (rng.uniform() < 0.15) move *= 2;
    degree = std::clamp(degree + move, 0, 11);
  }
  return out;
}

}  // namespace

Song composeSong() {
  const Section sections[] = {
      {4, {AM, F_, C_, G_}, 0, false}, {16, {AM, F_, C_, G_}, 1, true},
      {16, {F_, G_, EM, AM}, 2, true}, {16, {AM, F_, C_, G_}, 1, true},
      {8, {DM, G_, C_, E_}, 2, true},  {8, {AM, F_, C_, G_}, 2, true},
      {4, {AM, F_, AM, AM}, 0, false},
  };
  int totalBars = 0;
  for (const Section& s : sections) totalBars += s.bars;
  const double length = totalBars * BAR + 3.0;
  Mixer mix(length);

  const Voice pad{Wave::Saw, {0.25, 0.6, 0.7, 0.9}, 0.045, 0, 1400, 9};
  const Voice bass{Wave::Saw, {0.005, 0.15, 0.55, 0.05}, 0.2, 0, 700};
  const Voice lead{Wave::Pulse, {0.012, 0.2, 0.65, 0.12}, 0.085, 0.15, 3200, 0, 0.18};
  const Voice arp{Wave::Triangle, {0.004, 0.12, 0.2, 0.06}, 0.07, -0.4, 5000};

  Rng rng(0x5EED);
  // Four phrases make the tune; sections reuse them so that it repeats.
  std::vector<PhraseNote> phrases[4];
  for (int p = 0; p < 4; ++p) phrases[p] = makePhrase(rng, 4 + rng.below(4));
  static const int ORDER[8] = {0, 1, 0, 2, 0, 1, 3, 2};

  Mixer leadMix(length);

  double t0 = 0;
  int phraseCounter = 0;
  for (const Section& s : sections) {
    for (int bar = 0; bar < s.bars; ++bar) {
      const double tb = t0 + bar * BAR;
      const Chord& ch = s.progression[bar % 4];
      bool lastBar = bar == s.bars - 1;
      bool finalBar = &s == &sections[std::size(sections) - 1] && lastBar;
      // Pad: the chord an octave up, held for the bar.
      double hold = finalBar ? BAR * 1.5 : BAR - 0.05;
      for (int k = 0; k < 3; ++k) mix.note(pad, tb, hold, ch.root + 24 + ch.tones[k], 1.0);
      // Bass: eighth notes on the root, with an octave and fifth.
      static const int BASS[8] = {0, 0, 12, 0, 7, 0, 12, 7};
      int bassSteps = s.energy == 0 ? 2 : 8;
      for (int e = 0; e < bassSteps; ++e) {
        double len = s.energy == 0 ? BAR / 2 - 0.05 : BEAT / 2 - 0.03;
        mix.note(bass, tb + e * (BAR / bassSteps), len, ch.root + (s.energy ? BASS[e] : 0),
                 e % 2 ? 0.8 : 1.0);
      }
      // Arpeggio of the chord in the louder sections.
      if (s.energy == 2) {
        for (int e = 0; e < 16; ++e) {
          int tone = ch.tones[e % 3] + (e / 3 % 2) * 12;
          mix.note(arp, tb + e * BEAT / 4, BEAT / 4 - 0.02, ch.root + 36 + tone, e % 4 ? 0.7 : 1.0);
        }
      }
      // Drums.
      for (int beat = 0; beat < 4; ++beat) {
        double tbeat = tb + beat * BEAT;
        if (s.energy == 0) {
          if (beat == 0) mix.kick(tbeat, 0.8);
          mix.hat(tbeat + BEAT / 2, 0.7, false);
          continue;
        }
        if (beat % 2 == 0) mix.kick(tbeat, 1.0);
        if (beat == 3 && s.energy == 2) mix.kick(tbeat + BEAT / 2, 0.7);
        if (beat % 2 == 1) mix.snare(tbeat, 1.0);
        mix.hat(tbeat, 0.8, false);
        mix.hat(tbeat + BEAT / 2, 0.55, s.energy == 2 && beat == 3);
      }
      if (lastBar && s.energy > 0) {
        for (int k = 0; k < 4; ++k) mix.snare(tb + 3 * BEAT + k * BEAT / 4, 0.4 + 0.15 * k);
      }
      // Melody, a phrase every two bars.
      if (s.melody && bar % 2 == 0) {
        const auto& phrase = phrases[ORDER[phraseCounter % 8]];
        int lift = s.energy == 2 ? 2 : 0;
        for (const PhraseNote& n : phrase) {
          bool harmonic = s.progression[(bar + n.step / 8) % 4].root == E_.root &&
                          s.progression[(bar + n.step / 8) % 4].tones[1] == 4;
          leadMix.note(lead, tb + n.step * BEAT / 2, n.length * BEAT / 2 - 0.04,
                       scaleNote(n.degree + lift, harmonic), 1.0);
        }
        ++phraseCounter;
      }
    }
    t0 += s.bars * BAR;
  }
  // The lead with its echo, a dotted eighth behind.
  for (size_t i = 0; i < mix.left().size(); ++i) {
    mix.left()[i] += leadMix.left()[i];
    mix.right()[i] += leadMix.right()[i];
  }
  mix.echo(leadMix.left(), leadMix.right(), BEAT * 0.75, 0.35);

  Song song;
  song.left = std::move(mix.left());
  song.right = std::move(mix.right());
  // Fade the last bars down, but not to silence, then level the whole.
  const size_t n = song.left.size();
  const size_t fade = size_t(6.0 * SAMPLE_RATE);
  for (size_t i = n - fade; i < n; ++i) {
    double g = 1 - 0.8 * double(i - (n - fade)) / fade;
    song.left[i] = float(song.left[i] * g);
    song.right[i] = float(song.right[i] * g);
  }
  // A quiet bed under everything, so no stretch is ever silent.
  for (size_t i = 0; i < n; ++i) {
    double t = double(i) / SAMPLE_RATE;
    double bed = 0.004 * std::sin(2 * PI * 110 * t) * std::min(1.0, t / 0.5);
    song.left[i] += float(bed);
    song.right[i] += float(bed);
  }
  double peak = 0;
  for (size_t i = 0; i < n; ++i) {
    peak = std::max(peak, double(std::fabs(song.left[i])));
    peak = std::max(peak, double(std::fabs(song.right[i])));
  }
  double g = peak > 0 ? PEAK / peak : 1;
  for (size_t i = 0; i < n; ++i) {
    song.left[i] = float(song.left[i] * g);
    song.right[i] = float(song.right[i] * g);
  }
  return song;
}

bool writeMusic(const std::string& path) {
  Song song = composeSong();
  const int n = int(song.left.size());
  std::vector<short> l(n), r(n);
  for (int i = 0; i < n; ++i) {
    l[i] = short(std::lround(std::clamp(song.left[i], -1.f, 1.f) * 32767));
    r[i] = short(std::lround(std::clamp(song.right[i], -1.f, 1.f) * 32767));
  }
  lame_t gf = lame_init();
  if (!gf) {
    std::fprintf(stderr, "gen: LAME could not start\n");
    return false;
  }
  lame_set_num_channels(gf, 2);
  lame_set_in_samplerate(gf, SAMPLE_RATE);
  lame_set_out_samplerate(gf, SAMPLE_RATE);
  lame_set_VBR(gf, vbr_off);
  lame_set_brate(gf, 160);
  lame_set_mode(gf, JOINT_STEREO);
  lame_set_quality(gf, 5);
  lame_set_write_id3tag_automatic(gf, 0);
  if (lame_init_params(gf) < 0) {
    std::fprintf(stderr, "gen: LAME refused its settings\n");
    lame_close(gf);
    return false;
  }
  std::vector<unsigned char> out;
  const int chunk = 8192;
  std::vector<unsigned char> buf(size_t(1.25 * chunk + 7200));
  bool ok = true;
  for (int i = 0; i < n && ok; i += chunk) {
    int m = std::min(chunk, n - i);
    int got = lame_encode_buffer(gf, &l[i], &r[i], m, buf.data(), int(buf.size()));
    if (got < 0)
      ok = false;
    else
      out.insert(out.end(), buf.begin(), buf.begin() + got);
  }
  int got = ok ? lame_encode_flush(gf, buf.data(), int(buf.size())) : -1;
  if (got < 0)
    ok = false;
  else
    out.insert(out.end(), buf.begin(), buf.begin() + got);
  // The first frame holds the stream's length and gapless information.
  if (ok) {
    size_t tagSize = lame_get_lametag_frame(gf, buf.data(), buf.size());
    if (tagSize > 0 && tagSize <= out.size()) std::memcpy(out.data(), buf.data(), tagSize);
  }
  lame_close(gf);
  if (!ok) {
    std::fprintf(stderr, "gen: LAME failed while encoding\n");
    return false;
  }
  return writeFileBytes(path, out.data(), out.size());
}
