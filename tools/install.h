#pragma once
// Creates a schedule database: both tables, the one installation row and, optionally,
// schedule rows. The program itself never creates one.
#include <QString>
#include <QVector>

#include "platform/core/value.h"

namespace ark::install {

// The installation row, each value converted by its column's kind (texts such as
// "03:00:00", "25/12/2026" or "1" are fine).
struct PcsRow {
  Value nome, cnpj, pc, sistema, base, hora_atualizacao, contrato, data_visita, hora_visita;
};

struct BackupRow {
  Value horabkp, nomearquivo, origem, destino, sobrepoe;
};

// Refuses, with the reason in Portuguese, what would make an installation that never works:
// a system code other than "NEGOX", "VIGO" and "PRAXEL", a base folder without its final
// "/", and a schedule row that Gravar would refuse (folders, name, time).
void checkInstallation(const PcsRow& pcs, const QVector<BackupRow>& backups);

// Raises ark::RuntimeError when the installation is refused or `path` already exists
// (nothing is touched), or when a value does not fit its column (the half-made file is
// removed).
void createScheduleDatabase(const QString& path, const PcsRow& pcs,
                            const QVector<BackupRow>& backups = {});

// "hh:mm:ss|nome|origem|destino|0|1"-style text of one schedule row: time, base name,
// source, destination and overwrite flag, separated by "|".
BackupRow parseBackupRow(const QString& text);

}  // namespace ark::install
