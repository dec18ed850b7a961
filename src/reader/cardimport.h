#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace hoedeck::reader {

// The three kinds of file that hold many sequences, each cut into cards its own way.
enum class ImportFormat {
    Sd,       // the printed output of the Sd choreography program
    BeginEnd, // plain text, each sequence between "<begin>" and "<end>" lines
    At,       // plain text, each sequence ended by a line starting with "@"
};

// A card's lines, each exactly as it stood in the source (its bytes untouched).
using Card = QList<QByteArray>;

// Cuts a source into cards. Lines end at CR, LF or CR LF; blank lines (nothing but characters
// 0 to 32) are dropped in every format.
//
// In Sd output a card ends at its resolving line, which the card keeps as its last line. A
// header line (the one Sd prints above each sequence) also ends a card still collecting lines,
// and what is left at the end of the file is the last card: a sequence whose resolve is not one
// of those recognised is then a card of its own, never merged into the next one nor lost.
QList<Card> splitIntoCards(const QByteArray& source, ImportFormat format);

// A card's file name: "seq_" and its number with at least three digits ("seq_007.txt",
// "seq_1000.txt").
QString cardFileName(int number);

// Why a new card folder of that name cannot be made in the cards folder, or empty when it can:
// "Folder already exists" for one that exists (the empty name is the cards folder itself); a
// message for a name that would reach outside the cards folder.
QString folderNameProblem(const QString& cardsFolder, const QString& name);

// Imports the source into a new card folder `name` of the cards folder: the folder is made and
// the cards written into it, numbered from 0. Gives the number of cards written. Throws
// StoreError when the source cannot be read or a card cannot be written (the cards written
// before stay); the caller checks the name with folderNameProblem() first.
int importCards(const QString& sourcePath, const QString& cardsFolder, const QString& name,
                ImportFormat format);

} // namespace hoedeck::reader
