#pragma once
// HTML split the way a browser's parser splits it: tags, comments and runs of text, each with a
// key that is the same for two spellings the parser reads alike (case and quotes of tags,
// entities, CR LF), so a page and the engine's rewriting of it can be matched piece by piece.
#include <QString>
#include <QStringView>
#include <QVector>
#include <climits>
#include <memory>
#include <vector>

namespace kavrin {

struct HtmlToken {
    enum Kind : quint8 { Text, StartTag, EndTag, Comment, Doctype, Ignored };
    enum Flag : quint8 {
        Optional = 1,    // the parser supplies or drops it by itself (</p>, </li>, <tbody>, </body>)
        Raw = 2,         // text of a script or style: no entities in it
        Pre = 4,         // inside <pre>, <textarea> or <listing>: its text's spaces and breaks all show
    };
    int begin = 0;
    int end = 0;
    Kind kind = Text;
    quint8 flags = 0;
    quint64 key = 0;    // the parser's reading (see above)
    quint64 loose = 0;  // only the kind and, for tags, the name
};

using HtmlTokens = std::vector<HtmlToken>;

// Tokens of html[from, to), starting outside any tag; `pre` is set when `from` lies inside a
// <pre>-like element. The tokens cover the range without gaps.
HtmlTokens tokenizeHtml(QStringView html, int from = 0, int to = -1, bool pre = false);

// The same tokens read one at a time, keeping none, from `from` (outside any tag; `pre` as for
// tokenizeHtml) to the end.
class HtmlTokenStream {
public:
    explicit HtmlTokenStream(QStringView html, int from = 0, bool pre = false);
    ~HtmlTokenStream();
    // The next token; false at the end.
    bool next(HtmlToken& token);

private:
    struct Reader;
    std::unique_ptr<Reader> reader_;
};

// Text as the parser reads it: entities and character references decoded, CR LF and lone CR as
// LF. `offsets` receives where each character of the result starts in `raw` and, last, the end
// of `raw`. In an attribute value a name without ";" before "=" or a letter stays as written;
// without `entities` (the text of a script or style) only the line breaks change.
QString decodeHtmlText(QStringView raw, QVector<int>* offsets = nullptr, bool attribute = false,
                       bool entities = true);

// The spelling of a character as a named entity ("&copy;"), or "" when it has none.
QString htmlEntityName(char32_t c);

// What a tag is to the layout: text flows through an inline one, a block one ends a line, and a
// content one shows something of its own. Takes the lower-case name.
enum class HtmlTagRole { Inline, Block, Content };
HtmlTagRole htmlTagRole(QStringView name);

// The lower-case name of a tag token.
QString htmlTagName(QStringView html, const HtmlToken& token);

}  // namespace kavrin
