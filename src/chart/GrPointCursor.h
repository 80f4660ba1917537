#pragma once
// Walks the points [from, to) of a point line in order, fetched a block at a
// time through GetPoints where the line offers it, else through GetPoint.
#include "GrDefs.h"
#include "OGrLine.h"

class GrPointCursor {
public:
    GrPointCursor(OGrLine* line, int from, int to) : m_Line(line), m_Next(from), m_To(to) {}

    // The next point; false after the last.
    bool Next(int* index, double* x, double* y, int* flags)
    {
        if (m_Pos == m_Len && !Refill())
            return false;
        *index = m_First + m_Pos;
        *x = m_X[m_Pos];
        *y = m_Y[m_Pos];
        *flags = m_Flags[m_Pos];
        ++m_Pos;
        return true;
    }

private:
    static constexpr int kBlock = 256;

    bool Refill()
    {
        if (m_Next >= m_To)
            return false;
        const int count = m_To - m_Next < kBlock ? m_To - m_Next : kBlock;
        int got = m_Bulk ? m_Line->GetPoints(m_Next, count, m_X, m_Y, m_Flags) : -1;
        if (got < 0) {
            m_Bulk = false;
            for (int i = 0; i < count; ++i) {
                m_X[i] = m_Y[i] = kGrNone;
                m_Flags[i] = m_Line->GetPoint(m_Next + i, &m_X[i], &m_Y[i]);
            }
            got = count;
        }
        if (got <= 0)
            return false;
        m_First = m_Next;
        m_Next += got;
        m_Pos = 0;
        m_Len = got;
        return true;
    }

    OGrLine* m_Line;
    int m_Next, m_To;
    int m_First = 0, m_Pos = 0, m_Len = 0;
    bool m_Bulk = true;
    double m_X[kBlock], m_Y[kBlock];
    int m_Flags[kBlock];
};
