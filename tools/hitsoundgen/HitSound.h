#pragma once

#include <cstdint>
#include <string>
#include <vector>

constexpr int kHitSampleRate = 44100;

// The sound of a caught ball: a short bright chime over a soft click, mono, peaking a few
// decibels below full scale and fading to silence before it ends.
std::vector<std::int16_t> SynthesiseHitSound();

// A canonical 44-byte-header WAVE file: 16-bit PCM, mono.
std::string EncodeWave(const std::vector<std::int16_t>& samples, int sampleRate);
