// The character set of the text passed through the narrow ODBC calls: the
// data-access layer's text is UTF-8, and this makes the process agree.
#ifndef QUILLOMAR_ADO_ODBC_ODBC_TEXT_H_
#define QUILLOMAR_ADO_ODBC_ODBC_TEXT_H_

namespace ado::odbc {

// Prepares the process so that narrow ODBC calls carry UTF-8 text. Called
// before the first connection; cheap to call again.
void PrepareUtf8NarrowCalls();

}  // namespace ado::odbc

#endif  // QUILLOMAR_ADO_ODBC_ODBC_TEXT_H_
