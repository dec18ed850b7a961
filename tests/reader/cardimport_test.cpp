#include "cardimport.h"
#include "textstore.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace hoedeck;
using namespace hoedeck::reader;

namespace {

// A header as Sd prints it above each sequence: "Sd" at the 30th character.
QByteArray header(const char* level = "Plus") {
    return QByteArray("Sat Nov 14 19:32:11 2026     Sd39.82:db39.82     ") + level;
}

// Sd's printed output of sequences, as its Linux build writes it: a form feed before each
// header, calls double-spaced, a warning under its call, a formation picture between calls.
QByteArray sdOutput(const QList<QList<QByteArray>>& sequences) {
    QByteArray out = "\n";
    for (const auto& calls : sequences) {
        out += "\f\n" + header() + "\n" + "Practice session  #1\n\n";
        for (const QByteArray& call : calls)
            out += call + "\n\n";
    }
    return out;
}

} // namespace

TEST(SdImport, EachResolveEndsACardThatKeepsItsLinesAsTheyStood) {
    const QByteArray source = sdOutput({
        {"HEADS square thru 4", "  Warning:  Dancers are not in a legal formation", "    4B>   3G<",
         "swing thru", "right and left grand  (at home)"},
        {"SIDES pass the ocean", "recycle", "left allemande  (1/2 promenade)"},
        {"HEADS star thru", "zoom", "promenade  (At Home)"},
    });
    const QList<Card> cards = splitIntoCards(source, ImportFormat::Sd);
    ASSERT_EQ(cards.size(), 3);
    EXPECT_EQ(cards[0], (Card{"Practice session  #1", "HEADS square thru 4",
                              "  Warning:  Dancers are not in a legal formation", "    4B>   3G<",
                              "swing thru", "right and left grand  (at home)"}));
    EXPECT_EQ(cards[1].last(), "left allemande  (1/2 promenade)");
    EXPECT_EQ(cards[2].last(), "promenade  (At Home)"); // the "at home)" test ignores case
    for (const Card& card : cards)
        for (const QByteArray& line : card)
            EXPECT_NE(line.indexOf("Sd"), 29) << "a header in a card";
}

TEST(SdImport, WhatTheResolveRulesDoNotKnowIsNeitherMergedNorLost) {
    // The first sequence ends in a resolve the rules do not recognise ("(1/4 Promenade)" in
    // capitals, "approximately" without "or right"); the last has no resolve at all.
    const QByteArray source = sdOutput({
        {"HEADS lead right", "left allemande (1/4 Promenade)",
         "approximately right and left grand"},
        {"SIDES lead right", "right and left grand  (at home)"},
        {"HEADS square thru", "swing thru"},
    });
    const QList<Card> cards = splitIntoCards(source, ImportFormat::Sd);
    ASSERT_EQ(cards.size(), 3);
    EXPECT_EQ(cards[0].last(), "approximately right and left grand");
    EXPECT_EQ(cards[1].last(), "right and left grand  (at home)");
    EXPECT_EQ(cards[2].last(), "swing thru");
    // CR LF from Sd's Windows build, a "Sd" at column 30 after an earlier one is not a header.
    QByteArray windows = source;
    windows.replace("\n", "\r\n");
    EXPECT_EQ(splitIntoCards(windows, ImportFormat::Sd), cards);
    const QByteArray notHeader = "Sd says: swing thru         Sd then the rest (at home)\n";
    EXPECT_EQ(splitIntoCards(notHeader, ImportFormat::Sd).size(), 1);
}

TEST(TextImport, BeginEndNumbersEachCardAndAtSeparatesThem) {
    const QList<Card> begun = splitIntoCards("<begin> first\nheads square thru\n<end>\n<end>\n"
                                             "between\n<begin><end>\nsides star thru\n<end>\n"
                                             "left over\n",
                                             ImportFormat::BeginEnd);
    ASSERT_EQ(begun.size(), 3);
    EXPECT_EQ(begun[0], (Card{"0", "heads square thru"}));
    EXPECT_EQ(begun[1], Card{}); // two "<end>" lines in a row make an empty card
    EXPECT_EQ(begun[2], (Card{"between", "2", "sides star thru"}));

    const QList<Card> at = splitIntoCards("@\nheads square thru\n  @ not a separator\n@ next\n"
                                          "sides star thru\n",
                                          ImportFormat::At);
    ASSERT_EQ(at.size(), 2); // the sequence after the last "@" is not a card
    EXPECT_EQ(at[0], Card{});
    EXPECT_EQ(at[1], (Card{"heads square thru", "  @ not a separator"}));
}

TEST(CardImport, WritesNumberedCardsIntoANewFolderOnlyAndRefusesNamesOutsideIt) {
    QTemporaryDir dir;
    const QString cards = dir.filePath("cards");
    QDir().mkpath(cards);
    const QString source = dir.filePath("dance1.txt");
    QByteArray text;
    for (int i = 0; i < 1001; ++i)
        text += "heads square thru  caf\xe9\n@\n"; // a single-byte line passes unchanged
    QFile file(source);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
    file.close();

    EXPECT_EQ(folderNameProblem(cards, "dance1.txt"), "");
    EXPECT_EQ(importCards(source, cards, "dance1.txt", ImportFormat::At), 1001);
    QFile first(cards + "/dance1.txt/seq_000.txt");
    ASSERT_TRUE(first.open(QIODevice::ReadOnly));
    EXPECT_EQ(first.readAll(), QByteArray("heads square thru  caf\xe9\r\n"));
    EXPECT_TRUE(QFile::exists(cards + "/dance1.txt/seq_1000.txt"));
    EXPECT_EQ(cardFileName(42), "seq_042.txt");

    EXPECT_EQ(folderNameProblem(cards, "dance1.txt"), "Folder already exists");
    EXPECT_EQ(folderNameProblem(cards, ""), "Folder already exists");
    for (const QString bad : {"../escape", "..", "a/b", "two\nlines"})
        EXPECT_TRUE(folderNameProblem(cards, bad).contains("cannot hold")) << bad.toStdString();

    EXPECT_THROW(importCards(dir.filePath("missing.txt"), cards, "other", ImportFormat::Sd),
                 StoreError);
    EXPECT_FALSE(QFile::exists(cards + "/other"));
}
