// Lookups in packets with many records go through an index; they must find exactly what the
// plain walk over the records finds, in well-formed and malformed images alike.
#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <set>
#include <string>

#include "PacketImages.h"
#include "param/CKParam.h"

namespace {

using packet_test::Bytes;
using packet_test::GetU32;
using packet_test::ImageBuilder;
using packet_test::Restore;

struct Found {
    std::uint32_t offset;  // of the record header
    std::uint32_t length;
    std::uint16_t tag;
};

struct WalkStats {
    int wrapped = 0;  // lookups whose walk went on from a wrapped-around offset
};

std::uint16_t GetU16(const Bytes& image, std::size_t offset) {
    return static_cast<std::uint16_t>(image.at(offset) | image.at(offset + 1) << 8);
}

// The lookup rules, step by step, with nothing added: the record a lookup of `id` finds, or none.
std::optional<Found> ReferenceLookup(const Bytes& image, std::uint16_t id, WalkStats& stats) {
    const std::uint32_t length = GetU32(image, 0);
    const auto count = static_cast<std::int32_t>(GetU32(image, 4));
    if (count <= 0) {
        return std::nullopt;
    }
    std::uint32_t offset = 12;
    bool wrapped = false;
    if (offset > length - 8) {
        return std::nullopt;
    }
    for (std::int32_t counter = 0;;) {
        const std::uint32_t valueLength = GetU32(image, offset);
        if (GetU16(image, offset + 4) == id) {
            stats.wrapped += wrapped;
            if (std::uint64_t{offset} + 8 + valueLength > length) {
                return std::nullopt;
            }
            return Found{offset, valueLength, GetU16(image, offset + 6)};
        }
        const std::uint32_t next = offset + 8 + valueLength;
        wrapped = wrapped || next < offset;
        ++counter;
        if (next <= 12 || next > length - 8 || counter == count) {
            return std::nullopt;
        }
        offset = next;
    }
}

// Images with duplicate ids, all tags, truncated values, wrapping lengths, counts above and below
// the records, and lengths cut short or padded with junk.
Bytes RandomImage(std::mt19937& random) {
    const auto pick = [&](std::uint32_t low, std::uint32_t high) {
        return std::uniform_int_distribution<std::uint32_t>(low, high)(random);
    };
    ImageBuilder builder;
    const std::uint32_t records = pick(0, 3) == 0 ? pick(0, 16) : pick(17, 60);
    std::uint32_t size = 12;
    for (std::uint32_t i = 0; i < records; ++i) {
        const auto id = static_cast<std::uint16_t>(pick(0, 4) == 0 ? pick(0, 0xFFFF) : pick(1, 24));
        const std::uint16_t tags[] = {10, 20, 30, 40, 50, 60, static_cast<std::uint16_t>(pick(0, 0xFFFF))};
        const std::uint16_t tag = tags[pick(0, 6)];
        std::uint32_t value = pick(0, 9);
        std::uint32_t stated = value;
        switch (pick(0, 29)) {
            case 0:  // wraps around to somewhere before this record
                stated = 0u - pick(1, size + 8);
                break;
            case 1:  // runs past the end
                stated = value + pick(1, 400);
                break;
            default:
                break;
        }
        builder.Record(stated, id, tag);
        for (std::uint32_t b = 0; b < value; ++b) {
            builder.Value(std::string(1, static_cast<char>(pick(0, 255))));
        }
        size += 8 + value;
    }
    if (pick(0, 3) == 0) {
        for (std::uint32_t b = pick(1, 30); b > 0; --b) {
            builder.Value(std::string(1, static_cast<char>(pick(0, 255))));
        }
    }
    std::uint32_t count = records;
    switch (pick(0, 5)) {
        case 0:
            count = pick(0, records + 20);
            break;
        case 1:
            count = pick(0, 3000);
            break;
        case 2:
            count = 0u - pick(1, 3);
            break;
        default:
            break;
    }
    Bytes image = builder.Build(count, pick(1, 0x9FFFFF));
    if (pick(0, 3) == 0) {
        image.resize(pick(12, static_cast<std::uint32_t>(image.size())));
        image[0] = static_cast<std::uint8_t>(image.size());
        image[1] = static_cast<std::uint8_t>(image.size() >> 8);
    }
    return image;
}

TEST(PacketIndexTest, IndexedLookupsFindWhatThePlainWalkFinds) {
    std::mt19937 random(20240611);
    WalkStats stats;
    int indexedImages = 0;
    int plainImages = 0;
    int found = 0;
    for (int round = 0; round < 2000; ++round) {
        const Bytes image = RandomImage(random);
        SCOPED_TRACE(testing::Message() << "image " << round << " of " << image.size() << " bytes");
        CKParam packet;
        ASSERT_EQ(Restore(packet, image), 0);
        (packet.GetPacketNum() > 16 ? indexedImages : plainImages) += 1;

        // Every id a record header could hold, wherever the walk lands, and some others.
        std::set<std::uint16_t> ids = {0, 0xFFFF, 25, 1000};
        for (std::size_t offset = 12; offset + 8 <= image.size(); ++offset) {
            ids.insert(GetU16(image, offset + 4));
        }
        for (const std::uint16_t id : ids) {
            const std::optional<Found> expected = ReferenceLookup(image, id, stats);
            char sentinel = 0;
            char* value = &sentinel;
            unsigned short length = 1;
            const int result = packet.GetCharNF(static_cast<short>(id), value, length);
            if (!expected) {
                ASSERT_EQ(result, -1) << id;
                ASSERT_EQ(value, &sentinel) << id;
                continue;
            }
            ++found;
            ASSERT_EQ(value, packet.GetBufferPtr() + expected->offset + 8) << id;
            const bool raw = expected->tag == CKParam::kChar && expected->length <= 0xFFFF;
            ASSERT_EQ(result, raw ? 0 : -1) << id;
            ASSERT_EQ(length, raw ? expected->length : 0) << id;

            int number = 0x5EED;
            const bool isInt = expected->tag == CKParam::kInt && expected->length == 4;
            ASSERT_EQ(packet.GetInt(static_cast<short>(id), number), isInt ? 0 : -1) << id;
            ASSERT_EQ(number, isInt ? static_cast<int>(GetU32(image, expected->offset + 8)) : 0x5EED) << id;
        }
    }
    // The images reached both kinds of lookup and the cases that matter.
    EXPECT_GT(indexedImages, 800);
    EXPECT_GT(plainImages, 400);
    EXPECT_GT(found, 8000);
    EXPECT_GT(stats.wrapped, 150);
}

// A list written in id order, then a few records after it (as a job table's clock), some of them
// repeating an id met before: up to eight such strays are moved into place one by one, more are
// sorted with the rest. Either way a lookup finds what the plain walk finds.
TEST(PacketIndexTest, RecordsWrittenAfterAListAreFoundAsTheWalkFindsThem) {
    for (int strays = 0; strays <= 12; ++strays) {
        SCOPED_TRACE(testing::Message() << strays << " strays");
        ImageBuilder builder;
        for (std::uint16_t id = 100; id < 140; ++id) {
            builder.Int(id, id);
        }
        for (int s = 0; s < strays; ++s) {
            // Even strays repeat an id of the list; odd ones are lower than the list and repeat
            // each other from the fifth on.
            const auto id = static_cast<std::uint16_t>(s % 2 == 0 ? 100 + 3 * s : 50 + s % 4);
            builder.Int(id, 1000 + s);
        }
        const Bytes image = builder.Build();
        CKParam packet;
        ASSERT_EQ(Restore(packet, image), 0);
        WalkStats stats;
        // In id order and back, so that both the step to the next entry and the search are used.
        for (const int step : {1, -1}) {
            for (int i = 0; i <= 150; ++i) {
                const auto id = static_cast<std::uint16_t>(step > 0 ? i : 150 - i);
                const std::optional<Found> expected = ReferenceLookup(image, id, stats);
                int value = -1;
                ASSERT_EQ(packet.GetInt(static_cast<short>(id), value), expected ? 0 : -1) << id;
                if (expected) {
                    EXPECT_EQ(value, static_cast<int>(GetU32(image, expected->offset + 8))) << id;
                }
            }
        }
    }
}

TEST(PacketIndexTest, EveryChangeIsSeenByTheNextLookup) {
    CKParam packet;
    for (short id = 1; id <= 20; ++id) {
        ASSERT_EQ(packet.SetInt(id, id * 10), 0);
    }
    int value = 0;
    ASSERT_EQ(packet.GetInt(20, value), 0);  // builds the index

    ASSERT_EQ(packet.SetInt(21, 210), 0);
    ASSERT_EQ(packet.GetInt(21, value), 0);
    EXPECT_EQ(value, 210);
    ASSERT_EQ(packet.SetInt(3, 999), 0);
    ASSERT_EQ(packet.GetInt(3, value), 0);
    EXPECT_EQ(value, 30);

    ASSERT_EQ(packet.UpdateInt(4, 44), 0);
    ASSERT_EQ(packet.GetInt(4, value), 0);
    EXPECT_EQ(value, 44);

    ImageBuilder other;
    for (std::uint16_t id = 30; id < 50; ++id) {
        other.Int(id, id);
    }
    ASSERT_EQ(Restore(packet, other.Build()), 0);
    EXPECT_EQ(packet.GetInt(4, value), -1);
    ASSERT_EQ(packet.GetInt(49, value), 0);
    EXPECT_EQ(value, 49);

    packet.Release();
    EXPECT_EQ(packet.GetInt(49, value), -1);
    ASSERT_EQ(packet.SetInt(49, 1), 0);
    ASSERT_EQ(packet.GetInt(49, value), 0);
    EXPECT_EQ(value, 1);

    CKParam moved(std::move(packet));
    ASSERT_EQ(moved.GetInt(49, value), 0);
    EXPECT_EQ(packet.GetInt(49, value), -1);  // NOLINT(bugprone-use-after-move): released
}

// Record 12 (id 1) holds 16 raw bytes; record 36 (id 2) wraps back to 28, inside those bytes,
// where a header (4, id 3, int) makes record 36's length word the value of id 3.
TEST(PacketIndexTest, UpdateOverlappingAnEarlierHeaderChangesTheWalk) {
    for (const std::uint32_t count : {3u, 100u}) {
        SCOPED_TRACE(count);
        const Bytes image = ImageBuilder()
                                .Record(16, 1, CKParam::kChar)
                                .U32(0)
                                .U32(0)
                                .Record(4, 3, CKParam::kInt)
                                .Record(0xFFFFFFF0u, 2, CKParam::kInt)
                                .Build(count);
        CKParam packet;
        ASSERT_EQ(Restore(packet, image), 0);
        int value = 0;
        ASSERT_EQ(packet.GetInt(3, value), 0);
        EXPECT_EQ(value, -16);

        // Record 36 now claims 100 bytes: the walk stops there and never reaches 28.
        ASSERT_EQ(packet.UpdateInt(3, 100), 0);
        EXPECT_EQ(packet.GetInt(3, value), -1);
        EXPECT_EQ(packet.GetInt(2, value), -1);
        char* raw = nullptr;
        unsigned short length = 0;
        EXPECT_EQ(packet.GetCharNF(1, raw, length), 0);
        EXPECT_EQ(length, 16);
    }
}

}  // namespace
