#include "core/tables/ParametersForm.h"

#include <QHash>

#include <tuple>

namespace {
// Where each caption and value stands (twips): four columns, general, levels, hours and curve,
// management. A level has its unit beside it, an hour its "Hrs.".
struct Place {
    int captionLeft, captionTop, captionWidth;
    int valueLeft, valueTop, valueWidth;
    const char* unit;
};

const QHash<QString, Place>& places() {
    static const QHash<QString, Place> table = {
        {QStringLiteral("Label_Version_FirmWare"), {120, 1320, 1800, 1920, 1320, 1680, nullptr}},
        {QStringLiteral("Label_Numero_Serie"), {120, 1680, 1800, 1920, 1680, 1680, nullptr}},
        {QStringLiteral("Label_Niveau_Leq_Jour"), {3840, 1320, 2280, 6120, 1320, 600, "dB"}},
        {QStringLiteral("Label_Niveau_Leq_Jour_Fenetre"), {3840, 1620, 2280, 6120, 1620, 600, "dB"}},
        {QStringLiteral("Label_Niveau_Leq_Nuit"), {3840, 1920, 2280, 6120, 1920, 600, "dB"}},
        {QStringLiteral("Label_Niveau_Leq_Nuit_Fenetre"), {3840, 2220, 2280, 6120, 2220, 600, "dB"}},
        {QStringLiteral("Label_Niveau_Public"), {3840, 2520, 2280, 6120, 2520, 600, "dB"}},
        {QStringLiteral("Label_Niveau_Capteur"), {3840, 2820, 2280, 6120, 2820, 600, "dB"}},
        {QStringLiteral("Label_Heure_Jour_Nuit"), {7560, 1320, 2160, 9720, 1320, 420, "Hrs."}},
        {QStringLiteral("Label_Heure_Nuit_Jour"), {7560, 1620, 2160, 9720, 1620, 420, "Hrs."}},
        {QStringLiteral("Label_Analyse"), {0, 0, 0, 7560, 2520, 3480, nullptr}},
        {QStringLiteral("Label_Relais"), {11280, 1320, 3600, 11520, 1620, 3360, nullptr}},
        {QStringLiteral("Label_Cut_Capteur"), {11280, 1920, 3600, 11520, 2220, 3360, nullptr}},
        {QStringLiteral("Label_Cut_G"), {11280, 2520, 3600, 11520, 2820, 3360, nullptr}},
    };
    return table;
}

// The generation-5 design; generation 3 shortens it (the layout of the view says by how much).
constexpr int kFrameTop = 840, kFrameBottom = 3900, kButtonsTop = 3300, kWindowHeight = 4500;
constexpr int kWindowWidth = 15000, kLabelHeight = 285, kUnitWidth = 600, kButtonSize = 810;

FormItem label(const QString& name, const QString& text, int left, int top, int width, bool visible = true) {
    FormItem item;
    item.name = name;
    item.text = text;
    item.left = left;
    item.top = top;
    item.width = width;
    item.height = kLabelHeight;
    item.visible = visible;
    return item;
}
} // namespace

const FormItem* ParametersForm::item(const QString& name) const {
    for (const FormItem& i : items)
        if (i.name == name) return &i;
    return nullptr;
}

ParametersForm BuildParametersForm(const ParametersView& view) {
    const ParametersLayout& layout = view.layout;
    ParametersForm form;
    form.caption = kParametersCaption;
    form.width = kWindowWidth;
    form.height = layout.compact ? layout.windowHeight : kWindowHeight;
    form.background = kParametersBackground;

    FormItem heading =
        label(QStringLiteral("Label_Entete"), kParametersHeading, 120, layout.headingTop, 14760);
    heading.font = {10, true, false};
    heading.centred = true;
    form.items << heading;
    form.items << label(QStringLiteral("Label_Date"), view.dateLabel, 120, 360, 9000, view.dateLabelVisible);

    FormItem combo;
    combo.kind = FormItemKind::ComboBox;
    combo.name = QStringLiteral("Combo_Jour");
    combo.text = view.newestChange;
    combo.left = 9240;
    combo.top = 330;
    combo.width = 5640;
    combo.height = 315;
    combo.visible = view.comboVisible;
    form.items << combo;

    struct Section {
        const char* name;
        const char* text;
        int left, top;
    };
    for (const Section& s : {Section{"Label9", "Paramètres Généraux", 120, 900},
                             Section{"Label8", "Paramètres de Niveaux", 3840, 900},
                             Section{"Label1", "Paramètres d'Heures", 7560, 900},
                             Section{"Label4", "Paramètres de Courbe", 7560, 2160},
                             Section{"Label2", "Utilitaires de Gestion", 11280, 900}}) {
        FormItem section = label(QString::fromLatin1(s.name), QString::fromUtf8(s.text), s.left, s.top, 3360,
                                 qstrcmp(s.name, "Label2") != 0 || layout.showManagement);
        section.font.underline = true;
        form.items << section;
    }

    const int frameBottom = layout.compact ? layout.frameBottom : kFrameBottom;
    for (int i = 0; i < 3; ++i) {
        FormItem line;
        line.kind = FormItemKind::Line;
        line.name = QStringLiteral("Line%1").arg(i + 1);
        line.left = 3720 + i * 3720;
        line.top = kFrameTop;
        line.width = 30;
        line.height = frameBottom - kFrameTop;
        form.items << line;
    }

    for (const ParameterRow& row : view.rows) {
        const Place place = places().value(row.valueControl);
        if (!row.captionControl.isEmpty())
            form.items << label(row.captionControl, row.caption, place.captionLeft, place.captionTop,
                                place.captionWidth, row.visible);
        form.items << label(row.valueControl, row.value, place.valueLeft, place.valueTop, place.valueWidth,
                            row.visible);
        if (place.unit) {
            const bool hour = qstrcmp(place.unit, "Hrs.") == 0;
            form.items << label(hour ? QStringLiteral("Label_H") : QStringLiteral("Label3"),
                                QString::fromLatin1(place.unit), place.valueLeft + place.valueWidth,
                                place.valueTop, kUnitWidth, row.visible);
        }
    }

    // The buttons stand in the first column, below its two values: further right they would cover a
    // frame line, and in the shorter generation-3 window the weighting text.
    const int buttonsTop = layout.compact ? layout.buttonsTop : kButtonsTop;
    for (const auto& [name, picture, left] :
         {std::tuple{"Cmd_Print", "Print.bmp", 1200}, std::tuple{"Cmd_Exit", "Exit.jpg", 2070}}) {
        FormItem button;
        button.kind = FormItemKind::Button;
        button.name = QString::fromLatin1(name);
        button.text = QString::fromLatin1(picture);
        button.left = left;
        button.top = buttonsTop;
        button.width = kButtonSize;
        button.height = kButtonSize;
        form.items << button;
    }
    return form;
}

QStringList DescribeForm(const ParametersForm& form) {
    QStringList lines;
    for (const FormItem& item : form.items)
        if (item.printed() && item.kind == FormItemKind::Label && !item.text.isEmpty())
            lines.append(QStringLiteral("%1\t%2\t%3").arg(item.left).arg(item.top).arg(item.text));
    return lines;
}
