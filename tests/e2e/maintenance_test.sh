#!/usr/bin/env bash
# The real SALVIX with a PRAXEL installation whose maintenance time comes while it runs:
# the job runs once in that minute, brings the PRAXEL database up to date and stamps it.
source "$(dirname "$0")/lib.sh"
start_display
make_program_folder --sistema PRAXEL --base "$E2E_TMP/praxel/" --hora-atualizacao 03:00:00

mkdir -p "$E2E_TMP/praxel"
db="$E2E_TMP/praxel/praxel.mdb"
sqlite3 "$db" <<'SQL' || fail "could not make the PRAXEL database"
CREATE TABLE parametros (dias_agenda LONG, controle_agenda LONG,
                         data_atualizacao VARCHAR(10), hora_atualizacao VARCHAR(8));
CREATE TABLE paciente (cpf VARCHAR(14), nome VARCHAR(60), dtnasc DATETIME, idade VARCHAR(50));
CREATE TABLE agenda (contador LONG, codmedico LONG, data DATETIME, hora DATETIME,
                     cpf VARCHAR(14), nome VARCHAR(60), idade VARCHAR(50));
CREATE TABLE transacao (codigo LONG, descricao VARCHAR(50));
INSERT INTO parametros VALUES (30, 9, '06/12/2026', '03:00:00');
INSERT INTO paciente VALUES ('111', 'Ana', '1990-03-15 00:00:00', '0');
INSERT INTO paciente VALUES ('222', NULL, '2000-02-29 00:00:00', '0');
INSERT INTO agenda VALUES (0, 2, '2026-12-08 00:00:00', '1899-12-30 09:00:00', '111', 'Ana', '0');
INSERT INTO agenda VALUES (0, 1, '2026-12-09 00:00:00', '1899-12-30 10:00:00', '222', 'Bruno', '0');
INSERT INTO agenda VALUES (0, 1, '2026-12-06 00:00:00', '1899-12-30 11:00:00', '', NULL, '0');
INSERT INTO agenda VALUES (0, 1, '2026-10-01 00:00:00', '1899-12-30 08:00:00', '111', 'Ana', '0');
SQL

q() { sqlite3 -cmd ".timeout 5000" "$db" "$1"; }
stamped() { [ "$(q "SELECT data_atualizacao FROM parametros")" = "07/12/2026" ]; }

# Ten times faster from half a minute before the maintenance time: the timer's ticks,
# 50 s apart, put one tick into the minute 03:00.
start_salvix "@2026-12-07 02:59:30 x10"
wait_until 40 stamped || fail "the maintenance job did not stamp the PRAXEL database"
stamp=$(q "SELECT controle_agenda || ' ' || data_atualizacao || ' ' || hora_atualizacao FROM parametros")
[[ "$stamp" =~ ^3\ 07/12/2026\ 03:00:[0-5][0-9]$ ]] || fail "unexpected stamp: $stamp"

[ "$(q "SELECT idade FROM paciente WHERE cpf = '111'")" = "36 Ano(s) 8 Mês(es) 22 Dia(s)" ] \
  || fail "age not written: $(q "SELECT idade FROM paciente WHERE cpf = '111'")"
[ "$(q "SELECT nome FROM paciente WHERE cpf = '222'")" = "Bruno" ] || fail "name not filled in"
[ "$(q "SELECT group_concat(codmedico || ':' || contador, ' ') FROM (SELECT * FROM agenda ORDER BY contador)")" = "1:1 2:2" ] \
  || fail "agenda not renumbered: $(q "SELECT group_concat(codmedico || ':' || contador, ' ') FROM agenda")"
[ "$(q "SELECT idade FROM agenda WHERE cpf = '222'")" = "26 Ano(s) 9 Mês(es) 8 Dia(s)" ] \
  || fail "agenda age not copied: $(q "SELECT idade FROM agenda WHERE cpf = '222'")"

# Past the minute (03:01:40 on the program's clock), the stamp is still that of the one run.
sleep 10
kill -0 "$SALVIX_PID" 2>/dev/null || fail "SALVIX ended"
after=$(q "SELECT controle_agenda || ' ' || data_atualizacao || ' ' || hora_atualizacao FROM parametros")
[ "$after" = "$stamp" ] || fail "the job ran again: $stamp then $after"
echo "maintenance e2e: ok ($stamp)"
