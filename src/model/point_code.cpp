#include "point_code.h"

void decode_point_code(qint16 &A, qint16 &m_index, qint16 &c_index)
{
    m_index = 1;
    if (A > HIGHEST_POINT_CODE) {
        m_index = 0;
        c_index = NO_SELECTION;
        return;
    }
    if (A < CHANNELS_PER_MODULE) {
        c_index = A;
        return;
    }
    do {
        A = static_cast<qint16>(A - CHANNELS_PER_MODULE);
        m_index = static_cast<qint16>(m_index + 1);
        c_index = A;
    } while (A >= CHANNELS_PER_MODULE);
}
