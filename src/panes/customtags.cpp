#include "panes/customtags.h"

#include "platform/forms/msgbox.h"
#include "platform/files/settingsstore.h"

namespace kavrin {

namespace {
const QString kSection = QStringLiteral("Custom Tags");
}

void CustomTags::load() {
    tags_.clear();
    saved_ = true;
    bool ok = false;
    const long long stored = getSetting(appTitle, kSection, QStringLiteral("NumCustomTags"), QStringLiteral("0"))
                                 .trimmed()
                                 .toLongLong(&ok);
    // A count beyond what anyone types by hand is a damaged store, not a list to walk.
    const int count = ok ? int(std::clamp<long long>(stored, 0, 10000)) : 0;
    for (int i = 1; i <= count; ++i) {
        const QString text = getSetting(appTitle, kSection, QStringLiteral("Custom_") + QString::number(i));
        if (!text.isEmpty()) tags_.push_back(Tag{text, i});
    }
}

bool CustomTags::add(const QString& text) {
    tags_.push_back(Tag{text, 0});
    return save();
}

bool CustomTags::edit(int index, const QString& text) {
    if (index < 0 || index >= tags_.size()) return false;
    tags_[index].text = text;
    return save();
}

bool CustomTags::remove(int index) {
    if (index < 0 || index >= tags_.size()) return false;
    tags_.remove(index);
    return save();
}

bool CustomTags::save() {
    QVector<QPair<QString, QString>> entries;
    for (int i = 0; i < tags_.size(); ++i)
        entries.push_back({QStringLiteral("Custom_") + QString::number(i + 1), tags_[i].text});
    if (!tags_.isEmpty()) entries.push_back({QStringLiteral("NumCustomTags"), QString::number(tags_.size())});
    saved_ = replaceSettingSection(appTitle, kSection, entries);
    return saved_;
}

}  // namespace kavrin
