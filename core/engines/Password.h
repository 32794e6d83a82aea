#pragma once

#include <QByteArray>

#include <array>
#include <cstdint>
#include <random>

class App;

// The generator behind the password scrambling. Files written with one
// generator decode only with the same one, so it must give the same sequence
// for the same seed on every run, build and machine: std::mt19937's output is
// fixed by the C++ standard, and the mapping to [0, 1) is our own (a standard
// distribution is not, it differs between library versions).
class PasswordRandom {
public:
    // Restarts the sequence for a seed given as a negative number.
    void reseed(int negativeSeed);
    // Starts an unpredictable sequence from the clock and the system's entropy.
    void seedFromClock();
    // Next value in [0, 1).
    double next();

private:
    std::mt19937 engine_;
};

// The substitution table for seed s: byte values 32..255 mapped one-to-one onto
// 32..255; entries 0..31 are 0.
std::array<std::uint8_t, 256> PasswordTable(int seed);

// A fresh seed in 1..3200000.
int NewPasswordSeed();

// The two password lines of a test file for TestPassword: the seed as a number,
// CR LF, then the scrambled bytes. `seed` 0 draws a new one.
QByteArray EncodePassword(const App& app, int seed = 0);
// Sets TestPassword from a seed and a scrambled line.
void DecodePassword(App& app, int seed, const QByteArray& scrambled);
