#pragma once

#include <QString>

// The three bars of the transfer progress window and their texts. One tick moves the transmission
// bar until it is full, then the classification bar; the treatment bar shows their sum and the
// percentage of its maximum. Values are the whole parts the window shows (its bars start at 0).
class WaitProgress {
public:
    explicit WaitProgress(int generation);

    // One progress tick (the store's Progress_Step is counted by the transfer).
    void tick();
    // The transmission is over: its bar goes to its maximum minus one, the next tick fills it.
    void setTransmissionNearlyDone();

    int transmission() const { return m_transmission; }
    int classement() const { return m_classement; }
    int traitement() const { return m_transmission + m_classement; }
    int transmissionMax() const { return m_transmissionMax; }
    int classementMax() const { return m_classementMax; }
    int traitementMax() const { return m_transmissionMax + m_classementMax; }
    int percentage() const { return traitement() * 100 / traitementMax(); }

    QString transmissionLabel() const { return m_transmissionLabel; }
    QString classementLabel() const { return m_classementLabel; }
    QString percentageLabel() const;
    bool transmissionOk() const { return m_transmissionOk; }
    bool classementOk() const { return m_classementOk; }

    static QString caption();
    static QString traitementLabel();
    static QString cancelCaption();

private:
    int m_transmissionMax;
    int m_classementMax;
    int m_transmission = 0;
    int m_classement = 0;
    QString m_transmissionLabel;
    QString m_classementLabel;
    bool m_transmissionOk = false;
    bool m_classementOk = false;
};
