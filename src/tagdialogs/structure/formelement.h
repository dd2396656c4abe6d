#pragma once
// What the form element dialog writes for each kind of element, apart from its window: the
// attributes of each kind in their order, the kind an input's type names, and the text of the
// element built from the field values.
#include <QString>
#include <QVector>
#include <array>
#include <optional>

#include "documents/globals.h"

namespace kavrin {

// The kinds, numbered as the dialog's tabs are.
enum class FormKind {
    Button = 1,
    Checkbox,
    Hidden,
    Image,
    Password,
    Radio,
    Reset,
    Submit,
    Text,
    Textarea,
    Select,
    Option,
};
constexpr int kFormKindCount = 12;

// The dialog's fields. The four last are check boxes; the others hold text.
enum class FormField {
    Name,
    Value,
    Align,
    Tabindex,
    Size,
    MaxLength,
    Height,
    VSpace,
    Border,
    Wrap,
    Rows,
    Cols,
    NoTab,
    Checked,
    Multiple,
    Selected,
};
constexpr int kFormFieldCount = 16;
constexpr bool isFlagField(FormField f) { return f >= FormField::NoTab; }

// What the fields hold: text for the text fields, "checked" for the check boxes.
struct FormFieldValues {
    std::array<QString, kFormFieldCount> text;
    std::array<bool, kFormFieldCount> checked{};
    QString& operator[](FormField f) { return text[int(f)]; }
    const QString& operator[](FormField f) const { return text[int(f)]; }
    bool& flag(FormField f) { return checked[int(f)]; }
    bool flag(FormField f) const { return checked[int(f)]; }
};

// One attribute a kind writes, in its place: from a text field when that is not empty (or
// always), or as a bare word when a check box is ticked.
struct FormAttribute {
    QString name;  // lower case
    FormField field;
    bool always = false;
};

// The attributes a kind writes, in order: its own, then those every kind ends with.
const QVector<FormAttribute>& formKindAttributes(FormKind kind);
// The attribute a kind writes under this (lower-case) name, or nullptr: the field an edited
// tag's attribute of that name goes into. Attributes a kind does not write are kept as written.
const FormAttribute* formKindAttribute(FormKind kind, const QString& lowerName);
// The input kind a type value names ("checkbox", "radio", ... in any case), or nullopt.
std::optional<FormKind> formKindOfType(const QString& type);

// The element as it is written: start text, the kind's attributes, `kept` (the edited tag's
// attributes without a place here, less those now written from a field), ">", and for an
// option its caption. An input whose type names no kind is written with `inputType` as its
// type, or with none when that is empty.
QString formElementTag(FormKind kind, const FormFieldValues& values, const QVector<TagAttribute>& kept,
                       const std::optional<QString>& inputType = std::nullopt);
// The end tag of a new element of the kind: "</textarea>", "</select>" or "".
QString formElementEndTag(FormKind kind);

}  // namespace kavrin
