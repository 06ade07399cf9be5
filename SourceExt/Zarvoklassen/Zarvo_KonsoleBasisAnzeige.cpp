#include "Zarvo_KonsoleBasisAnzeige.h"

#include "Zarvo_Konsolenbefehl.h"
#include "Zarvo_Log.h"

Zarvo_KonsoleBasisAnzeige::Zarvo_KonsoleBasisAnzeige(Zarvo_Log* log_) : log(log_) { log->anzeige = this; }

Zarvo_KonsoleBasisAnzeige::~Zarvo_KonsoleBasisAnzeige() {
  if (log->anzeige == this) log->anzeige = nullptr;
}

void Zarvo_KonsoleBasisAnzeige::FuehreZeileAus(const std::string& zeile) {
  log->Schreibe(">%s", zeile.c_str());
  Zarvo_Konsolenbefehl::Ausfuehren(zeile);
}
