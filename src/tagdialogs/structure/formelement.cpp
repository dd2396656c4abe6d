#include "tagdialogs/structure/formelement.h"

#include "tagdialogs/tagparse.h"

namespace kavrin {

namespace {

using F = FormField;

// The type word an input kind writes; empty for the kinds that are elements of their own.
QString typeWord(FormKind kind) {
    switch (kind) {
    case FormKind::Button: return QStringLiteral("button");
    case FormKind::Checkbox: return QStringLiteral("checkbox");
    case FormKind::Hidden: return QStringLiteral("hidden");
    case FormKind::Image: return QStringLiteral("image");
    case FormKind::Password: return QStringLiteral("password");
    case FormKind::Radio: return QStringLiteral("radio");
    case FormKind::Reset: return QStringLiteral("reset");
    case FormKind::Submit: return QStringLiteral("submit");
    case FormKind::Text: return QStringLiteral("text");
    default: return {};
    }
}

QVector<FormAttribute> withTail(QVector<FormAttribute> own, bool named) {
    own += {{"align", F::Align}, {"tabindex", F::Tabindex}, {"notab", F::NoTab}};
    // An option's Name field is its caption, so its name attribute is kept as written.
    if (named) own += {"name", F::Name};
    own += {"checked", F::Checked};
    return own;
}

}  // namespace

const QVector<FormAttribute>& formKindAttributes(FormKind kind) {
    static const std::array<QVector<FormAttribute>, kFormKindCount> table = [] {
        std::array<QVector<FormAttribute>, kFormKindCount> t;
        const QVector<FormAttribute> valueOnly = withTail({{"value", F::Value}}, true);
        const QVector<FormAttribute> textLike =
            withTail({{"value", F::Value}, {"size", F::Size}, {"maxlength", F::MaxLength}}, true);
        auto at = [&t](FormKind k) -> QVector<FormAttribute>& { return t[int(k) - 1]; };
        for (FormKind k : {FormKind::Button, FormKind::Checkbox, FormKind::Radio, FormKind::Reset, FormKind::Submit})
            at(k) = valueOnly;
        at(FormKind::Hidden) = withTail({{"value", F::Value, true}}, true);
        at(FormKind::Image) = withTail({{"src", F::Value},
                                        {"width", F::Size},
                                        {"height", F::Height},
                                        {"hspace", F::MaxLength},
                                        {"vspace", F::VSpace},
                                        {"border", F::Border}},
                                       true);
        at(FormKind::Password) = textLike;
        at(FormKind::Text) = textLike;
        at(FormKind::Textarea) = withTail({{"cols", F::Cols}, {"rows", F::Rows}, {"wrap", F::Wrap}}, true);
        at(FormKind::Select) = withTail({{"size", F::Value}, {"multiple", F::Multiple}}, true);
        // An option without a value submits its text; an empty value would submit nothing.
        at(FormKind::Option) = withTail({{"value", F::Value}, {"selected", F::Selected}}, false);
        return t;
    }();
    const int i = int(kind) - 1;
    return table[i >= 0 && i < kFormKindCount ? i : 0];
}

const FormAttribute* formKindAttribute(FormKind kind, const QString& lowerName) {
    for (const FormAttribute& a : formKindAttributes(kind))
        if (a.name == lowerName) return &a;
    return nullptr;
}

std::optional<FormKind> formKindOfType(const QString& type) {
    const QString t = type.toLower();
    for (int k = 1; k <= int(FormKind::Text); ++k)
        if (typeWord(FormKind(k)) == t) return FormKind(k);
    return std::nullopt;
}

QString formElementTag(FormKind kind, const FormFieldValues& values, const QVector<TagAttribute>& kept,
                       const std::optional<QString>& inputType) {
    QString tag;
    switch (kind) {
    case FormKind::Textarea: tag = QStringLiteral("<textarea"); break;
    case FormKind::Select: tag = QStringLiteral("<select"); break;
    case FormKind::Option: tag = QStringLiteral("<option"); break;
    default:
        tag = QStringLiteral("<input");
        if (!inputType) tag += attributeText(QStringLiteral("type"), typeWord(kind));
        else if (!inputType->isEmpty()) tag += attributeText(QStringLiteral("type"), *inputType);
        break;
    }
    auto written = [&values](const FormAttribute& a) {
        return isFlagField(a.field) ? values.flag(a.field) : (a.always || !values[a.field].isEmpty());
    };
    for (const FormAttribute& a : formKindAttributes(kind)) {
        if (!written(a)) continue;
        if (isFlagField(a.field)) tag += QLatin1Char(' ') + a.name;
        else tag += attributeText(a.name, values[a.field]);
    }
    for (const TagAttribute& attribute : kept) {
        // A kept attribute that the kind now writes from a field would stand twice.
        const FormAttribute* a = formKindAttribute(kind, attribute.name.toLower());
        if (a && written(*a)) continue;
        tag += keptAttributeText(attribute);
    }
    tag += QLatin1Char('>');
    if (kind == FormKind::Option) tag += values[F::Name];
    return tag;
}

QString formElementEndTag(FormKind kind) {
    if (kind == FormKind::Textarea) return QStringLiteral("</textarea>");
    if (kind == FormKind::Select) return QStringLiteral("</select>");
    return {};
}

}  // namespace kavrin
