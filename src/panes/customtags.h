#pragma once
// The user's custom tags: read from the settings when the program starts and written back
// whole every time they change, so neither a run that never shows the tag tree nor a crash
// loses any.
#include <QString>
#include <QVector>

namespace kavrin {

class CustomTags {
public:
    struct Tag {
        QString text;
        int storedNumber = 0;  // n of its "Custom_n" key when read from the settings; 0 when added
    };

    // Reads the "Custom Tags" section; empty values are skipped, so numbers may have gaps.
    void load();
    const QVector<Tag>& tags() const { return tags_; }
    int count() const { return int(tags_.size()); }

    // Each change is written at once. False when the store could not be written: the change is
    // kept and written with the next one, or at exit.
    bool add(const QString& text);
    bool edit(int index, const QString& text);
    bool remove(int index);
    // Writes the section as the list stands ("Custom_1" to "Custom_n" and "NumCustomTags").
    bool save();
    // True once the store holds exactly what the list holds.
    bool saved() const { return saved_; }

private:
    QVector<Tag> tags_;
    bool saved_ = true;
};

}  // namespace kavrin
