#pragma once

#include "core/tables/Parameters.h"

#include <QList>
#include <QString>
#include <QStringList>

// The parameters window frmParametres_v4 as data: every control with its place in twips, its font
// and whether it shows. The window builds its widgets from it and the printout (window and command
// line alike) paints it, so the screen and the paper cannot drift apart.

enum class FormItemKind { Label, Line, ComboBox, Button };

struct FormFont {
    int pointSize = 8;
    bool bold = false;
    bool underline = false;
    bool operator==(const FormFont&) const = default;
};

struct FormColour {
    int red = 255, green = 255, blue = 255;
    bool operator==(const FormColour&) const = default;
};

struct FormItem {
    FormItemKind kind = FormItemKind::Label;
    QString name;
    QString text; // a label's caption; a button's picture file
    int left = 0, top = 0, width = 0, height = 0;
    FormFont font;
    bool centred = false;
    bool visible = true;

    // Only the texts and the frame lines reach the paper: the list and the buttons are left out.
    bool printed() const { return visible && (kind == FormItemKind::Label || kind == FormItemKind::Line); }
};

struct ParametersForm {
    QString caption;
    int width = 0, height = 0; // twips
    FormColour background;     // on screen; the printout is on white
    QList<FormItem> items;

    // The first item of that name (the unit labels Label3 and Label_H occur several times).
    const FormItem* item(const QString& name) const;
};

inline constexpr FormColour kParametersBackground{197, 207, 237};

// The form of a view: the values of the view, and the layout of its generation.
ParametersForm BuildParametersForm(const ParametersView& view);

// The printed texts of a form, one "left<TAB>top<TAB>text" line each (twips; the top of the label,
// whose text stands centred in its height). The command line shows it.
QStringList DescribeForm(const ParametersForm& form);
