#pragma once
// What a bug report needs to know about this system: the program's version,
// the operating system, the libraries as loaded (their own version calls) and
// the program's folders.
#include <QList>
#include <QPair>
#include <QString>

namespace keymora {

using SystemDetail = QPair<QString, QString>;  // name, value

QList<SystemDetail> SystemDetails();
// A library the program links besides the usual ones reports itself here
// (shown after Qt).
void AddSystemDetail(const QString& name, const QString& value);
// One "name: value" line per detail, for the clipboard.
QString SystemDetailsText();

}  // namespace keymora
