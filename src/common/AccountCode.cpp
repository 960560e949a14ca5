#include "AccountCode.h"

namespace yanlan {

QString AccountCode::prefix() const
{
    switch (m_digit) {
    case 2: return QStringLiteral("ZX");
    case 3: return QStringLiteral("CX");
    default: return QStringLiteral("DX");
    }
}

QString AccountCode::defaultTitle() const
{
    switch (m_digit) {
    case 2: return QStringLiteral("中线操作");
    case 3: return QStringLiteral("长线投资");
    default: return QStringLiteral("短线试验");
    }
}

} // namespace yanlan
