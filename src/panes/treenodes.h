#pragma once
// The nodes of a side-pane tree as a data file gives them, before any widget exists.
#include <QString>
#include <QStringView>
#include <QVector>

namespace kavrin {

struct TreeNodeSpec {
    int parent = -1;        // index of the parent in the same list; -1 for a root
    QString key;            // "" for a node without a key
    QString text;
    QString image;          // image key
    QString expandedImage;  // image while expanded; "" for the same
};

struct TreeBuild {
    QVector<TreeNodeSpec> nodes;  // parents always before their children
    // Why the build stopped early ("" when it read everything); the nodes read so far stay.
    QString error;
};

// A data file line without the blanks around it. Blanks only: a tab inside a line is part of
// its text, as the files' readers have always seen it.
inline QStringView trimBlanks(QStringView line) {
    qsizetype from = 0;
    qsizetype to = line.size();
    while (from < to && line[from] == u' ') ++from;
    while (to > from && line[to - 1] == u' ') --to;
    return line.mid(from, to - from);
}

}  // namespace kavrin
