#pragma once
// The nodes of a side-pane tree as a data file gives them, before any widget exists.
#include <QString>
#include <QStringView>
#include <QVector>
#include <utility>

namespace kavrin {

struct TreeNodeData {
    int parent = -1;        // index of the parent in the same list; -1 for a root
    QString key;            // "" for a node without a key
    QString text;
    QString image;          // image key
    QString expandedImage;  // image while expanded; "" for the same
};

struct TreeBuild {
    QVector<TreeNodeData> nodes;  // parents always before their children
    // Why the build stopped early ("" when it read everything); the nodes read so far stay.
    QString error;
};

// The lines of a data file that hold something, each with its 1-based number and without the
// blanks around it. Blanks only: a tab inside a line is part of its text, as the files' readers
// have always seen it.
inline QList<std::pair<int, QStringView>> dataLines(QStringView text) {
    QList<std::pair<int, QStringView>> lines;
    int number = 0;
    for (QStringView line : text.split(u'\n')) {
        ++number;
        if (line.endsWith(u'\r')) line.chop(1);
        while (!line.isEmpty() && line.front() == u' ') line = line.mid(1);
        while (!line.isEmpty() && line.back() == u' ') line.chop(1);
        if (!line.isEmpty()) lines.push_back({number, line});
    }
    return lines;
}

}  // namespace kavrin
