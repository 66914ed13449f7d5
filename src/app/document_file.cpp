#include "app/document_file.h"

#include <QFile>
#include <QFileInfo>

#include "base/fork_files.h"
#include "frontend/user_defaults.h"

namespace orv::app {

bool readDocumentFile(const QString& path, Document* doc, QString* error) {
  QFileInfo info(path);
  if (!info.exists()) {
    *error = QObject::tr("The file \"%1\" doesn't exist.").arg(path);
    return false;
  }
  if (!info.isFile()) {
    *error = QObject::tr("\"%1\" is not a regular file.").arg(path);
    return false;
  }
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    *error = QObject::tr("\"%1\" can't be read: %2").arg(path, file.errorString());
    return false;
  }
  const QByteArray bytes = file.readAll();
  const std::string name = QFile::encodeName(path).toStdString();
  *doc = openDocument(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())),
                      name, readResourceFork(name), readDocumentDefaults());
  return true;
}

Document newDocumentFromDefaults() {
  Document doc = openDocument("\n", "", std::nullopt, readDocumentDefaults());
  doc.form = DocForm::kRtf;
  doc.forceSaveAs = true;
  return doc;
}

}  // namespace orv::app
