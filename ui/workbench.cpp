#include "ui/workbench.h"

#include "ui/catalog_dialog.h"
#include "ui/form_main.h"
#include "ui/tf_grnagr.h"
#include "ui/tf_import.h"
#include "ui/tf_line.h"
#include "ui/tf_modework.h"
#include "ui/tf_newline.h"
#include "ui/tf_provodedit.h"
#include "ui/tf_source.h"
#include "ui/tf_spravprovod.h"
#include "ui/tf_spravtrans.h"
#include "ui/tf_transedit.h"
#include "ui/tformabout.h"

Workbench::Workbench() {
    FormMain = new TFormMain;
    F_SpravProvod = new TF_SpravProvod(FormMain);
    F_SpravTrans = new TF_SpravTrans(FormMain);
    F_Source = new TF_Source(FormMain);
    F_Source->setProject(&FormMain->Proect);
    F_Line = new TF_Line(FormMain);
    F_ModeWork = new TF_ModeWork(FormMain);
    F_NewLine = new TF_NewLine(FormMain);
    F_Import = new TF_Import(FormMain);
    FormAbout = new TFormAbout(FormMain);
    F_GrNagr = new TF_GrNagr(FormMain);
    F_ProvodEdit = new TF_ProvodEdit(FormMain);
    F_TransEdit = new TF_TransEdit(FormMain);
    F_Line->setCodeTable(F_GrNagr);
    attachCatalogDialogs(*this);
    FormMain->attach(this);
}

Workbench::~Workbench() { delete FormMain; }

void Workbench::show() { FormMain->show(); }
