#pragma once
// The analysis window's graph list: which series the chart shows, graph by
// graph, as the control bar's check boxes ask. Every line is the one shared
// OGrLine_Uevo, re-aimed by GetLine.
#include "OGrLine_Uevo.h"
#include "OGrList.h"
#include "RhythmEvents.h"
#include "TGrDia.h"

#include <array>
#include <string>
#include <vector>

class OEcgFile;

// The control bar's series boxes; a box counts only while enabled and ticked.
struct OSeriesChoice {
    bool rawEcg = false;           // "Исходный ЭКГ-сигнал"
    bool filteredEcg = false;      // "Фильтрованный ЭКГ-сигнал"
    bool threshold = false;        // "Порог"
    bool defect = false;           // "Мера дефекта импульса"
    bool impulses = false;         // "Распознанные импульсы"
    bool pulse = false;            // "Частота пульса"
    bool rawTemperature = false;   // "Исходные температуры"
    bool temperature = false;      // "Температура"
    bool ccp = false;              // "Частота вх CCP1"
    bool ccpFine = false;          // "Точнее"
    bool rawAccelerations = false; // "Исходные ускорения"
    bool separateXyz = false;      // "Отображать раздельно XYZ"
};

class OGrList_Uevo : public OGrList {
public:
    static constexpr int kMaxGraphs = 128;
    static constexpr int kMaxLines = 128;
    // Before the first rebuild the start time is noon of the day before.
    static constexpr double kInitialStartTime = -43200.0;

    explicit OGrList_Uevo(const OEcgFile* file) : m_Line(file) {}

    int GetGrCount() override { return m_GrCount; }
    TGrDia* GetGrDia(int gr) override;
    int GetLineCount(int gr) override;
    OGrLine* GetLine(int gr, int line) override;
    // The events as bands in the ECG and pulse-rate graphs.
    int GetSpanCount(int gr) override;
    GrSpan GetSpan(int gr, int i) override;

    // The events of the last pass (none until then); chosen is the one the
    // user looks at (-1 for none), drawn deeper.
    void SetEvents(std::vector<ORhythmEvent> events);
    void ChooseEvent(int chosen) { m_ChosenEvent = chosen; }
    const std::vector<ORhythmEvent>& Events() const { return m_Events; }

    // No graphs, no lines.
    void Clear();
    void AddGr();
    void AddLine(int type);

    // Empties the list and refills it from the chosen series; reads the start
    // time from startTimeText and writes it back in normal form. halfWidth is
    // the impulse marker half-width in samples. Once the beats have classes,
    // the impulses' graph also shows the S and V beats. The caller then hands
    // the list to the chart (SetGrList).
    void Rebuild(const OSeriesChoice& choice, std::string& startTimeText, int halfWidth);

    double StartTime() const { return m_StartTime; }
    void ResetStartTime() { m_StartTime = kInitialStartTime; }
    OGrLine_Uevo& Line() { return m_Line; }
    // Type code of line `line` of graph gr, -1 when there is none.
    int LineType(int gr, int line) const;

private:
    OGrLine_Uevo m_Line;
    int m_GrCount = 0;
    std::array<int, kMaxGraphs> m_LineCount{};
    std::array<int, kMaxGraphs> m_FirstLine{};
    std::array<TGrDia, kMaxGraphs> m_Dia;
    std::array<int, kMaxLines> m_Types{};
    int m_TotalLines = 0;
    double m_StartTime = kInitialStartTime;
    std::vector<ORhythmEvent> m_Events;
    int m_ChosenEvent = -1;
};
