// File names cross from Qt to the core as the bytes the file system uses.
#pragma once

#include <string>

#include <QFile>
#include <QString>

inline std::string LocalPath(const QString& name) { return QFile::encodeName(name).toStdString(); }
inline QString FromLocalPath(const std::string& path) {
  return QFile::decodeName(QByteArray::fromStdString(path));
}
