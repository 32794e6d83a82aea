#include "engines/Password.h"

#include "ground/TextFile.h"
#include "ground/App.h"

#include <chrono>
#include <limits>

void PasswordRandom::reseed(int negativeSeed)
{
    engine_.seed(static_cast<std::uint32_t>(negativeSeed));
}

void PasswordRandom::seedFromClock()
{
    std::random_device entropy;
    const auto ticks = std::chrono::high_resolution_clock::now().time_since_epoch().count();
    std::seed_seq seq{entropy(), entropy(), static_cast<std::uint32_t>(ticks),
                      static_cast<std::uint32_t>(static_cast<std::uint64_t>(ticks) >> 32)};
    engine_.seed(seq);
}

double PasswordRandom::next()
{
    // 32 random bits scaled into [0, 1); never reaches 1.
    return static_cast<double>(engine_()) / 4294967296.0;
}

std::array<std::uint8_t, 256> PasswordTable(int seed)
{
    PasswordRandom rnd;
    // A damaged seed line may hold the one value whose negation does not fit;
    // it wraps to itself, as the generator's 32-bit seed would.
    rnd.reseed(seed == std::numeric_limits<int>::min() ? seed : -seed);
    std::array<std::uint8_t, 256> table{};
    for (int v = 32; v <= 255; ++v) {
        int x = 0;
        do {
            x = static_cast<int>(rnd.next() * 224) + 32;
        } while (table[static_cast<size_t>(x)] != 0);
        table[static_cast<size_t>(x)] = static_cast<std::uint8_t>(v);
    }
    return table;
}

int NewPasswordSeed()
{
    PasswordRandom rnd;
    rnd.seedFromClock();
    return static_cast<int>(rnd.next() * 3200000) + 1;
}

QByteArray EncodePassword(const App& app, int seed)
{
    if (seed == 0)
        seed = NewPasswordSeed();
    const auto table = PasswordTable(seed);
    QByteArray result = textfile::numberLine(seed) + "\r\n";
    for (char c : textfile::encode(app.st.test.TestPassword))
        result.append(static_cast<char>(table[static_cast<std::uint8_t>(c)]));
    return result;
}

void DecodePassword(App& app, int seed, const QByteArray& scrambled)
{
    const auto table = PasswordTable(seed);
    std::array<std::uint8_t, 256> inverse{};
    for (int x = 32; x <= 255; ++x)
        inverse[table[static_cast<size_t>(x)]] = static_cast<std::uint8_t>(x);
    QByteArray plain;
    plain.reserve(scrambled.size());
    for (char e : scrambled)
        plain.append(static_cast<char>(inverse[static_cast<std::uint8_t>(e)]));
    app.st.test.TestPassword = textfile::decode(plain);
}
