// Pictures of the shell's windows for a person to look at (never compared): a widget
// shown at a size and saved fresh as build/desktop-screenshots/<name>.
#pragma once

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QWidget>

namespace desktop_test {

//! The path of picture `name` in build/desktop-screenshots (the folder is made).
inline QString pictureFile(const QString& name) {
  const QString folder = QDir(COREAPP_BINARY_DIR).filePath("desktop-screenshots");
  QDir().mkpath(folder);
  return QDir(folder).filePath(name);
}

//! Shows `widget` at `size` and saves it as desktop-screenshots/`name`; the file must
//! then hold a picture.
inline void savePicture(QWidget& widget, const char* name, QSize size = QSize(1280, 800)) {
  widget.resize(size);
  widget.show();
  const QString file = pictureFile(name);
  QFile::remove(file);
  ASSERT_TRUE(widget.grab().save(file));
  EXPECT_GT(QFileInfo(file).size(), 0);
}

}  // namespace desktop_test
