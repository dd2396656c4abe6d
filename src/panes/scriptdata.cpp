#include "panes/scriptdata.h"

#include <QHash>
#include <QSet>

namespace kavrin {

namespace {

struct Category {
    const char* key;
    const char* text;
    const char* image;
};
constexpr Category kCategories[] = {
    {"nav", "Navigator", "object"},   {"date", "Date and time", "object"}, {"math", "Math", "object"},
    {"string", "String", "object"},   {"words", "Reserved words", "reserved"},
};

}  // namespace

bool parseScriptLine(QStringView line, ScriptLine* out, QString* error) {
    auto fail = [error](const QString& why) {
        if (error) *error = why;
        return false;
    };
    const QString fewer = QStringLiteral("it has fewer than four commas.");
    const qsizetype first = line.indexOf(u',');
    if (first < 0) return fail(fewer);
    const qsizetype second = line.indexOf(u',', first + 1);
    if (second < 0) return fail(fewer);
    ScriptLine fields;
    fields.parentKey = line.left(first).toString();
    QStringView rest = line.mid(second + 1);
    const qsizetype third = rest.indexOf(u',');
    if (third < 0) return fail(fewer);
    QStringView own = rest.left(third);
    while (!own.isEmpty() && own.front() == u' ') own = own.mid(1);
    fields.ownKey = own.toString().toLower();
    rest = rest.mid(third + 1);
    // A blank is expected after each of the last two commas and is dropped unseen.
    if (rest.isEmpty()) return fail(QStringLiteral("its third comma ends the line."));
    rest = rest.mid(1);
    const qsizetype fourth = rest.indexOf(u',');
    if (fourth < 0) return fail(fewer);
    fields.caption = rest.left(fourth).toString().replace(u';', u',');
    rest = rest.mid(fourth + 1);
    if (rest.isEmpty()) return fail(QStringLiteral("its fourth comma ends the line."));
    fields.image = rest.mid(1).toString();
    if (out) *out = std::move(fields);
    return true;
}

TreeBuild scriptNodesFromData(QStringView text) {
    TreeBuild build;
    auto& nodes = build.nodes;
    QHash<QString, int> keys;
    nodes.push_back(TreeNodeData{-1, QStringLiteral("window"), QStringLiteral("Window"), QStringLiteral("window"), {}});
    keys.insert(QStringLiteral("window"), 0);

    for (const auto& [lineNumber, line] : dataLines(text)) {
        ScriptLine fields;
        QString why;
        if (!parseScriptLine(line, &fields, &why)) {
            build.error = QStringLiteral("Line %1 cannot be read: %2").arg(lineNumber).arg(why);
            return build;
        }
        if (!fields.ownKey.isEmpty() && keys.contains(fields.ownKey)) {
            build.error = QStringLiteral("Line %1 uses the key '%2' a second time.").arg(lineNumber).arg(fields.ownKey);
            return build;
        }
        const Category* category = nullptr;
        for (const Category& c : kCategories)
            if (fields.ownKey == QLatin1String(c.key)) category = &c;
        if (category) {
            keys.insert(fields.ownKey, int(nodes.size()));
            nodes.push_back(TreeNodeData{-1, fields.ownKey, QString::fromLatin1(category->text),
                                         QString::fromLatin1(category->image), {}});
            continue;
        }
        const auto parent = keys.constFind(fields.parentKey);
        if (parent == keys.cend()) {
            build.error = QStringLiteral("Line %1 names the parent '%2', which no earlier line gives.")
                              .arg(lineNumber)
                              .arg(fields.parentKey);
            return build;
        }
        if (!fields.ownKey.isEmpty()) keys.insert(fields.ownKey, int(nodes.size()));
        nodes.push_back(TreeNodeData{*parent, fields.ownKey, fields.caption, fields.image, {}});
    }
    for (const char* function : {"escape(string)", "eval(expression)", "number(objRef)", "parseFloat(string)",
                                 "parseInt(string [, radix]))", "string(objRef)", "unEscape(string)"})
        nodes.push_back(TreeNodeData{-1, QString(), QString::fromLatin1(function), QStringLiteral("method"), {}});
    return build;
}

ScriptInsertion scriptInsertion(const QString& caption, bool isMethod) {
    ScriptInsertion out;
    if (caption.endsWith(u'=')) {
        out.text = caption + QLatin1String("\"\"");
        out.caretBack = 1;
        return out;
    }
    QString t = caption;
    if (isMethod) {
        const qsizetype open = t.indexOf(u'(');
        // A method written without its parentheses still gets a pair to fill in.
        t = open >= 0 ? t.left(open + 1) + u')' : t + QLatin1String("()");
    }
    out.text = t;
    if (t.endsWith(u')')) out.caretBack = 1;
    return out;
}

}  // namespace kavrin
