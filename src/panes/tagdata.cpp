#include "panes/tagdata.h"

namespace kavrin {

namespace {

const QString kTag = QStringLiteral("tag");

}  // namespace

TreeBuild tagNodesFromData(QStringView text, QSet<QString>* keys) {
    TreeBuild build;
    QSet<QString> ownKeys;
    if (!keys) keys = &ownKeys;
    auto& nodes = build.nodes;
    auto add = [&nodes](int parent, const QString& key, const QString& nodeText, const QString& image) {
        nodes.push_back(TreeNodeData{parent, key, nodeText, image, QString()});
        return int(nodes.size() - 1);
    };
    if (keys->contains(kTagRootKey)) {
        build.error = QStringLiteral("The key 'top' is already in use.");
        return build;
    }
    keys->insert(kTagRootKey);
    nodes.push_back(TreeNodeData{-1, kTagRootKey, kTagRootText, QStringLiteral("closedfolder"),
                                 QStringLiteral("openfolder")});
    add(0, QString(), QStringLiteral("<!-- -->"), kTag);

    for (const auto& [lineNumber, line] : dataLines(text)) {
        if (!line.contains(u' ')) {
            add(0, QString(), line.toString().toLower(), kTag);
            continue;
        }
        const QList<QStringView> tokens = line.split(u' ');
        const QString tagText = (tokens.first().toString() + tokens.last().toString()).toLower();
        if (keys->contains(tagText)) {
            build.error = QStringLiteral("Line %1 gives the tag '%2' a second time.").arg(lineNumber).arg(tagText);
            return build;
        }
        keys->insert(tagText);
        const int tag = add(0, tagText, tagText, kTag);
        for (qsizetype i = 1; i + 1 < tokens.size(); ++i) {
            const QStringView token = tokens[i];
            const qsizetype eq = token.indexOf(u'=');
            if (eq < 0) {
                add(tag, QString(), token.toString().toLower(), QStringLiteral("flag"));
                continue;
            }
            const QStringView name = token.left(eq + 1);
            if (!token.contains(u',')) {
                if (token.endsWith(u'='))
                    add(tag, QString(), name.toString(), QStringLiteral("event"));
                else
                    add(tag, QString(), name.toString().toLower(), QStringLiteral("attribute"));
                continue;
            }
            const QString key = tagText + name.toString();
            if (keys->contains(key)) {
                build.error = QStringLiteral("Line %1 names the attribute '%2' of '%3' a second time.")
                                  .arg(lineNumber)
                                  .arg(name.toString().toLower(), tagText);
                return build;
            }
            keys->insert(key);
            const int attribute = add(tag, key, name.toString().toLower(), QStringLiteral("attribute"));
            for (QStringView value : token.mid(eq + 1).split(u','))
                add(attribute, QString(), value.toString().toLower(), QStringLiteral("value"));
        }
    }
    return build;
}

TagNodeInsertion tagNodeInsertion(const QString& text, bool addEndingP) {
    TagNodeInsertion out;
    out.startTag = text;
    if (text.contains(QLatin1String("><"))) {
        const qsizetype last = text.lastIndexOf(u'<');
        out.startTag = text.left(last);
        out.endTag = text.mid(last);
    }
    if (out.startTag == QLatin1String("<p>") && !addEndingP) out.endTag.clear();
    if (out.startTag.endsWith(u'=')) {
        out.startTag += QLatin1String("\"\"");
        out.quoted = true;
    }
    return out;
}

const QStringList& tagNodeEditTexts() {
    static const QStringList texts{
        "<a></a>",         "<applet></applet>",     "<body></body>",     "<br>",
        "<caption></caption>", "<div></div>",       "<dl></dl>",         "<font></font>",
        "<form></form>",   "<frameset></frameset>", "<frame>",           "<hr>",
        "<iframe>",        "<img>",                 "<input></input>",   "<marquee></marquee>",
        "<menu></menu>",   "<meta>",                "<ol></ol>",         "<option>",
        "<p></p>",         "<param></param>",       "<select></select>", "<script></script>",
        "<table></table>", "<tbody></tbody>",       "<thead></thead>",   "<tfoot></tfoot>",
        "<textarea></textarea>", "<tr></tr>",       "<th></th>",         "<td></td>",
    };
    return texts;
}

bool isTagNodeEditText(const QString& text) { return tagNodeEditTexts().contains(text); }

TagNodeMenuState tagNodeMenuState(const QString& text, bool isRoot, bool underCustomRoot, bool dialogExists,
                                  bool haveDocument) {
    TagNodeMenuState state;
    state.insert = !isRoot && haveDocument;
    state.copy = !isRoot;
    state.edit = !isRoot && haveDocument && dialogExists && isTagNodeEditText(text);
    state.addCustom = true;
    state.editCustom = !isRoot && underCustomRoot;
    state.deleteCustom = state.editCustom;
    return state;
}

bool tagNodeInsertsOnDoubleClick(const QString& text, bool isRoot, bool underCustomRoot) {
    if (isRoot) return false;
    return !text.startsWith(u'<') || underCustomRoot;
}

int tagTypeAheadNext(const QStringList& tags, QChar letter, TagTypeAhead& state) {
    letter = letter.toLower();
    if (letter != state.letter) {
        state.letter = letter;
        state.found = false;
        state.next = 0;
    }
    auto search = [&](int from) {
        for (int i = std::max(0, from); i < tags.size(); ++i)
            if (tags[i].size() > 1 && tags[i][1].toLower() == letter) return i;
        return -1;
    };
    int hit = search(state.next);
    if (hit < 0) {
        state.next = 0;
        if (!state.found) return -1;
        hit = search(0);
        if (hit < 0) return -1;
    }
    state.found = true;
    state.next = hit + 1;
    return hit;
}

}  // namespace kavrin
