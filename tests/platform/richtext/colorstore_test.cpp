#include <gtest/gtest.h>

#include <QRandomGenerator>

#include <vector>

#include "platform/richtext/colorstore.h"

namespace kavrin::test {
namespace {

std::vector<int> contents(const ColorStore& store) {
    std::vector<int> out;
    store.forRuns(0, store.length(), [&](qsizetype, qsizetype n, int color) { out.insert(out.end(), size_t(n), color); });
    return out;
}

// Edits at random places, which move the gap back and forth and make it grow, against a plain
// list of colours doing the same.
TEST(ColorStoreTest, EditsAnywhereKeepEveryCharactersColour) {
    auto* rng = QRandomGenerator::global();
    ColorStore store;
    std::vector<int> model;
    const int colours[] = {0, 0x0000FF, 0xFF0000, 0x008000, 0x808000};
    for (int round = 0; round < 3000; ++round) {
        const qsizetype len = qsizetype(model.size());
        const qsizetype at = qsizetype(rng->bounded(int(len) + 1));
        const int color = colours[rng->bounded(5)];
        switch (rng->bounded(4)) {
        case 0: {
            const qsizetype removed = qsizetype(rng->bounded(int(qMin<qsizetype>(len - at, 50)) + 1));
            const qsizetype added = qsizetype(rng->bounded(round % 100 == 0 ? 9000 : 40));
            store.splice(at, removed, added, color);
            model.erase(model.begin() + at, model.begin() + at + removed);
            model.insert(model.begin() + at, size_t(added), color);
            break;
        }
        case 1: {
            const ColorPieces pieces = {{2, color}, {3, -1}, {4, colours[rng->bounded(5)]}};
            const qsizetype removed = qMin<qsizetype>(len - at, 5);
            store.splice(at, removed, pieces);
            model.erase(model.begin() + at, model.begin() + at + removed);
            std::vector<int> in = {color, color, 0, 0, 0};  // -1 goes in as black
            for (int k = 0; k < 4; ++k) in.push_back(pieces[2].color);
            model.insert(model.begin() + at, in.begin(), in.end());
            break;
        }
        case 2: {
            const qsizetype to = at + qsizetype(rng->bounded(300));
            const ColorStore::Span s = store.fill(at, to, color);
            qsizetype lo = -1, hi = -1;
            for (qsizetype i = at; i < qMin(to, len); ++i) {
                if (model[size_t(i)] == color) continue;
                model[size_t(i)] = color;
                if (lo < 0) lo = i;
                hi = i + 1;
            }
            if (lo >= 0) EXPECT_EQ(s, ColorStore::Span(lo, hi)) << "round " << round;
            else EXPECT_GE(s.first, s.second) << "round " << round;
            break;
        }
        default: {
            // Pieces that leave some colours as they are.
            const ColorPieces pieces = {{5, color}, {7, -1}, {3, colours[rng->bounded(5)]}};
            store.apply(at, pieces);
            qsizetype i = at;
            for (const ColorPiece& p : pieces)
                for (qsizetype k = 0; k < p.length && i < len; ++k, ++i)
                    if (p.color >= 0) model[size_t(i)] = p.color;
            break;
        }
        }
        ASSERT_EQ(store.length(), qsizetype(model.size())) << "round " << round;
        if (round % 50 == 0) ASSERT_EQ(contents(store), model) << "round " << round;
        if (!model.empty()) {
            const qsizetype probe = qsizetype(rng->bounded(int(model.size())));
            ASSERT_EQ(store.at(probe), model[size_t(probe)]) << "round " << round;
        }
    }
    EXPECT_EQ(contents(store), model);
}

// More colours than a byte can tell apart: those no longer used make room, and only with all
// of them in use at once does the nearest stand in.
TEST(ColorStoreTest, ManyColoursOverTimeAllKeepTheirOwn) {
    ColorStore store;
    store.append(10, 0x123456);
    for (int c = 1; c <= 600; ++c) store.fill(0, 10, c * 1000);
    EXPECT_EQ(store.at(0), 600000);
    EXPECT_EQ(store.at(9), 600000);

    ColorStore full;
    for (int c = 0; c < 256; ++c) full.append(1, c << 16);
    full.append(1, (7 << 16) + 1);  // one more, all in use: the nearest
    EXPECT_EQ(full.at(256), 7 << 16);
    for (int c = 0; c < 256; ++c) ASSERT_EQ(full.at(c), c << 16);
}

}  // namespace
}  // namespace kavrin::test
