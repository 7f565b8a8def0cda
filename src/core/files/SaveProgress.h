#pragma once

#include <QString>

// What the save progress window shows: its bar, its three labels and the check-mark picture.
struct SaveProgressView {
    int value = 0;
    int maximum = 0;
    QString Label_Save_en_Cours;
    QString Label_Patientez;
    QString Label_Progression;
    bool Picture_Good = false;
    bool complete = false;
};

// The bar's maximum for a generation: 8512 (generation 3) or 16700 (generation 5).
int SaveProgressMaximum(int generation);

// The progress of one save. The writer's regular steps never complete it, even where they add up to
// the maximum (generation 5): completion means the file is on disk, so only complete() reaches it,
// once, after the writer has closed the file.
class SaveProgress {
public:
    explicit SaveProgress(int generation);

    const SaveProgressView& view() const { return m_view; }

    // One step of the writer. Returns true when the percentage text changed.
    bool step();
    // The final step after the file was written and closed: 100 % and the success texts. Only the
    // first call does anything.
    void complete();

private:
    void advance();

    SaveProgressView m_view;
};
