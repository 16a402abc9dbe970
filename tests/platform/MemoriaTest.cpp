#include "platform/Memoria.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>

namespace mem = quel::memoria;

TEST(Memoria, CountsAsTypedOnACommandLine) {
    const std::pair<const char*, std::optional<std::uint64_t>> casos[] = {
        {"4096", 4096}, {"64K", 64u << 10}, {"64kb", 64u << 10}, {"1.5M", 3u << 19}, {"2G", std::uint64_t{2} << 30},
        {"1T", std::uint64_t{1} << 40}, {"0", std::nullopt}, {"", std::nullopt}, {"-1G", std::nullopt},
        {"+1G", std::nullopt}, {"G", std::nullopt}, {"12X", std::nullopt}, {"1e9", std::nullopt},
        {"99999999999T", std::nullopt},
    };
    for (const auto& [texto, bytes] : casos) EXPECT_EQ(mem::lee(texto), bytes) << texto;
}

TEST(Memoria, LimitAndText) {
    EXPECT_EQ(mem::efectiva(1234), 1234u);
    EXPECT_EQ(mem::efectiva(0), mem::fisica() > 0 ? mem::fisica() : UINT64_MAX);
    EXPECT_EQ(mem::texto(812), "812 bytes");
    EXPECT_EQ(mem::texto(3.5L * 1024 * 1024), "3.5 MB");
}
