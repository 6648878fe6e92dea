// Where a session's decisions come from: the bytes of a fuzz input, read front to back, or a
// seeded random generator. Both give the same kinds of choices, so one driver serves the session
// fuzzer and the soak test.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <random>
#include <span>
#include <string>

namespace ChamberSession {

class Choices {
public:
    virtual ~Choices() = default;
    // A number in lo ... hi (both included; lo <= hi).
    virtual std::int64_t Range(std::int64_t lo, std::int64_t hi) = 0;
    // Up to `maxLength` arbitrary bytes.
    virtual std::string Bytes(std::size_t maxLength) = 0;
    // Nothing more to decide: the session ends.
    virtual bool Exhausted() const = 0;

    int Int(int lo, int hi) { return static_cast<int>(Range(lo, hi)); }
    bool Flag() { return Range(0, 1) == 1; }
    // One of the values.
    template <class T, std::size_t N>
    const T& Pick(const T (&values)[N]) {
        return values[static_cast<std::size_t>(Range(0, N - 1))];
    }
};

// Choices read from fuzz input. A number takes as many bytes as its range needs; when the input
// runs out every further choice is lo (or empty) and Exhausted() is true.
class ByteChoices final : public Choices {
public:
    explicit ByteChoices(std::span<const std::uint8_t> bytes) : m_bytes(bytes) {}

    std::int64_t Range(std::int64_t lo, std::int64_t hi) override {
        const std::uint64_t span = static_cast<std::uint64_t>(hi) - static_cast<std::uint64_t>(lo);
        std::uint64_t value = 0;
        for (std::uint64_t covered = 0; covered < span && !m_bytes.empty(); covered = covered << 8 | 0xFF) {
            value = value << 8 | m_bytes.front();
            m_bytes = m_bytes.subspan(1);
        }
        return static_cast<std::int64_t>(static_cast<std::uint64_t>(lo) +
                                         (span == UINT64_MAX ? value : value % (span + 1)));
    }

    std::string Bytes(std::size_t maxLength) override {
        const auto length = static_cast<std::size_t>(Range(0, static_cast<std::int64_t>(maxLength)));
        const std::size_t taken = std::min(length, m_bytes.size());
        std::string bytes(reinterpret_cast<const char*>(m_bytes.data()), taken);
        m_bytes = m_bytes.subspan(taken);
        return bytes;
    }

    bool Exhausted() const override { return m_bytes.empty(); }

private:
    std::span<const std::uint8_t> m_bytes;
};

// Choices of a seeded generator; never exhausted.
class RandomChoices final : public Choices {
public:
    explicit RandomChoices(std::uint32_t seed) : m_random(seed) {}

    std::int64_t Range(std::int64_t lo, std::int64_t hi) override {
        return std::uniform_int_distribution<std::int64_t>(lo, hi)(m_random);
    }

    std::string Bytes(std::size_t maxLength) override {
        std::string bytes(static_cast<std::size_t>(Range(0, static_cast<std::int64_t>(maxLength))), '\0');
        for (char& byte : bytes)
            byte = static_cast<char>(Range(0, 255));
        return bytes;
    }

    bool Exhausted() const override { return false; }

private:
    std::mt19937_64 m_random;
};

}  // namespace ChamberSession
