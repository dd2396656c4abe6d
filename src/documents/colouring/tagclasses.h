#pragma once
// Which colour class a tag belongs to, decided from the text that follows its "<". Every place
// that colours tags (whole-document colouring, partial recolouring, colour as you type, tag
// completion) asks here, so the element names live in one table.
#include <QStringView>

namespace kavrin {

enum class TagClass { Anchor, Image, Table, Form, FontFormat, OtherKnown, Unrecognized };

// The eight colour settings, by class. Colour values: 24-bit, red in the low byte.
struct TagColors {
    int tag = 0;           // other known tags
    int table = 0;
    int font = 0;          // font and formatting tags
    int anchor = 0;
    int comment = 0;
    int form = 0;
    int image = 0;
    int unrecognized = 0;
};

// The colour settings as they stand now (tagColor, tableColor, ... globals).
TagColors currentTagColors();

// The class of a bare tag name (no "<", no leading "/"), without regard to ASCII case. Only
// ASCII names are members, so a name with any other character is Unrecognized.
TagClass tagClassOfName(QStringView name);

// The class of the tag whose "<" is followed by `text`: one leading "/" is dropped; the name is
// the first character whatever it is, then every following character up to (not including) the
// first one with a code below 48 or ">"; letters compare without regard to ASCII case.
TagClass tagClassOf(QStringView text);

int colorOfClass(TagClass cls, const TagColors& colors);

// Colour of the tag whose "<" is followed by `text`.
int tagColorFor(QStringView text, const TagColors& colors);
// Same with the current colour settings.
int tagColorFor(QStringView text);

}  // namespace kavrin
