// Standard commands by name. Cancelling an edit is Ctrl+Z rather than Esc: Esc belongs
// to the open cell editor and to closing dialogs.
#include "apps/coreapp-desktop/action_keys.h"

#include <QStyle>

namespace desktop {

namespace {

struct Standard {
  const char* name;
  QStyle::StandardPixmap icon;
  QKeySequence shortcut;
};

const Standard* standardOf(const std::string& name) {
  static const Standard table[] = {
      {"actAdd", QStyle::SP_FileIcon, QKeySequence(Qt::CTRL | Qt::Key_N)},
      {"actEdit", QStyle::SP_FileDialogDetailedView, QKeySequence(Qt::CTRL | Qt::Key_E)},
      {"actDel", QStyle::SP_TrashIcon, QKeySequence(Qt::CTRL | Qt::Key_Delete)},
      {"actRef", QStyle::SP_BrowserReload, QKeySequence(Qt::Key_F5)},
      {"actSave", QStyle::SP_DialogSaveButton, QKeySequence(Qt::CTRL | Qt::Key_S)},
      {"actsave", QStyle::SP_DialogSaveButton, QKeySequence(Qt::CTRL | Qt::Key_S)},
      {"actCancel", QStyle::SP_DialogCancelButton, QKeySequence(Qt::CTRL | Qt::Key_Z)},
      {"actAudit", QStyle::SP_DialogApplyButton, QKeySequence(Qt::CTRL | Qt::Key_K)},
      {"actPrint", QStyle::SP_FileDialogContentsView, QKeySequence(Qt::CTRL | Qt::Key_P)},
      {"actprint", QStyle::SP_FileDialogContentsView, QKeySequence(Qt::CTRL | Qt::Key_P)},
      {"actok", QStyle::SP_DialogOkButton, QKeySequence(Qt::CTRL | Qt::Key_Return)},
      {"actclose", QStyle::SP_DialogCloseButton, QKeySequence(Qt::CTRL | Qt::Key_W)},
      {"actprev", QStyle::SP_ArrowLeft, QKeySequence(Qt::CTRL | Qt::Key_PageUp)},
      {"actnext", QStyle::SP_ArrowRight, QKeySequence(Qt::CTRL | Qt::Key_PageDown)},
      {"actlist", QStyle::SP_FileDialogListView, QKeySequence(Qt::CTRL | Qt::Key_L)},
  };
  for (const Standard& s : table)
    if (name == s.name) return &s;
  return nullptr;
}

}  // namespace

ActionLook actionLook(const std::string& name, const QStyle& style) {
  const Standard* s = standardOf(name);
  if (s == nullptr) return {};
  // The arrows and the bill list beside them show their icons alone, so the order page's
  // long bar keeps every command in view.
  const bool arrow = s->icon == QStyle::SP_ArrowLeft || s->icon == QStyle::SP_ArrowRight ||
                     s->icon == QStyle::SP_FileDialogListView;
  return {true, style.standardIcon(s->icon), s->shortcut, arrow};
}

}  // namespace desktop
