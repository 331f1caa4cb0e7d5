// Reporting of the framework's exceptions.
#include "framework/exception.h"

#include "framework/message_box.h"

void CException::ReportError() const {
    AfxMessageBox(message_, MB_ICONSTOP);
}
