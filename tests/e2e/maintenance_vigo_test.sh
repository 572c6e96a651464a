#!/usr/bin/env bash
# The real SALVIX with a VIGO installation whose maintenance time comes while it runs, on a
# database another program filled: dates stored as day-first texts, date-only texts and day
# numbers, states and natures in other letter cases. The job runs once and stamps it.
source "$(dirname "$0")/lib.sh"
start_display
make_program_folder --sistema VIGO --base "$E2E_TMP/vigo/" --hora-atualizacao 03:00:00

mkdir -p "$E2E_TMP/vigo"
db="$E2E_TMP/vigo/ocupax.mdb"
sqlite3 "$db" <<'SQL' || fail "could not make the VIGO database"
CREATE TABLE parametros (dias_agenda LONG, data_atualizacao_idade VARCHAR(10),
                         hora_atualizacao_idade VARCHAR(8));
CREATE TABLE agenda (codigo LONG, empresa VARCHAR(60), data DATETIME);
CREATE TABLE empregado (codigo LONG, nome VARCHAR(60), dtnasc VARCHAR(10), idade LONG);
CREATE TABLE natureza_exame (descricao VARCHAR(50), status VARCHAR(20));
CREATE TABLE empregado_empresa (cpf VARCHAR(14), empresa VARCHAR(60));
CREATE TABLE agenda_treinamento (controle LONG, descricao VARCHAR(60));
CREATE TABLE agenda_treinamento_empresa (controle LONG, empresa VARCHAR(60));
CREATE TABLE agenda_treinamento_instrutor (controle LONG, instrutor VARCHAR(60));
CREATE TABLE treinamentos_presenca (controle LONG, nota DOUBLE);
CREATE TABLE aso (controle LONG, empregado VARCHAR(60), cpf VARCHAR(14), data DATETIME,
                  natureza_exame VARCHAR(50), situacao VARCHAR(20), cor_situacao LONG,
                  toxicologico VARCHAR(20), toxicologico_data VARCHAR(10),
                  etilometro VARCHAR(20), etilometro_data VARCHAR(10),
                  teste_psicometrico VARCHAR(20), teste_psicometrico_data VARCHAR(10),
                  dias_bloqueado LONG, dias_bloqueadoe LONG, bloqueio_atendimento_num LONG,
                  pendencia VARCHAR(100), pendencia_asoe VARCHAR(100),
                  aptidao_funcao VARCHAR(50), aptidao_funcaoi VARCHAR(50),
                  realizou_clinico_data VARCHAR(10), data_validade_aso VARCHAR(10),
                  data_validade_asoe VARCHAR(10));
INSERT INTO parametros VALUES (30, '01/12/2026', '03:00:00');
INSERT INTO natureza_exame VALUES ('ADMISSIONAL', 'BLOQUEADO');
-- Free appointments: yesterday (purged), today as a day number, later as a date-only text.
INSERT INTO agenda VALUES (1, NULL, '06/12/2026');
INSERT INTO agenda VALUES (2, NULL, 46363);
INSERT INTO agenda VALUES (3, NULL, '2026-12-20');
INSERT INTO agenda VALUES (4, 'Empresa', '30/11/2026');
INSERT INTO empregado VALUES (7, 'Ana', '15/03/1990', 0);
-- Three attendances of one CPF, their dates in three forms: in date order 2, 1, 3.
INSERT INTO aso VALUES (1, 'Ana', '111', '2026-11-02', 'Admissional', 'BLOQUEADO', 1,
  'Positivo', '02/11/2026', NULL, '__/__/____', NULL, '__/__/____', 9, 9, 9, 'Nenhuma',
  'Nenhuma', 'Apto', 'Apto', '02/11/2026', '02/11/2027', '__/__/____');
INSERT INTO aso VALUES (2, 'Ana', '111', '01/10/2026', 'PERIODICO', 'Bloqueado', 1,
  'Negativo', '01/10/2026', NULL, '__/__/____', NULL, '__/__/____', 9, 9, 9, 'Nenhuma',
  'Nenhuma', 'Apto', 'Apto', '01/10/2026', '01/10/2027', '__/__/____');
INSERT INTO aso VALUES (3, 'Ana', '111', 46357, 'PERIODICO', 'LIBERADO', 1,
  'Negativo', '01/12/2026', NULL, '__/__/____', NULL, '__/__/____', 9, 9, 9, 'Nenhuma',
  'Nenhuma', 'Apto', 'Apto', '01/12/2026', '30/11/2026', '__/__/____');
SQL

q() { sqlite3 -cmd ".timeout 5000" "$db" "$1"; }
stamped() { [ "$(q "SELECT data_atualizacao_idade FROM parametros")" = "07/12/2026" ]; }

# Ten times faster from half a minute before the maintenance time.
start_salvix "@2026-12-07 02:59:30 x10"
wait_until 40 stamped || fail "the maintenance job did not stamp the VIGO database"
stamp=$(q "SELECT data_atualizacao_idade || ' ' || hora_atualizacao_idade FROM parametros")
[[ "$stamp" =~ ^07/12/2026\ 03:00:[0-5][0-9]$ ]] || fail "unexpected stamp: $stamp"

check() {  # check WHAT SQL EXPECTED
  local got
  got=$(q "$2")
  [ "$got" = "$3" ] || fail "$1: $got (expected $3)"
}
check "agenda purge" "SELECT group_concat(codigo, ' ') FROM agenda" "2 3 4"
check "age" "SELECT idade FROM empregado" "36"
# Both blocked attendances are selected in any letter case; the job's own test is exact.
check "attendances" "SELECT group_concat(controle || ':' || situacao || ':' || cor_situacao || ':'
  || dias_bloqueado || ':' || bloqueio_atendimento_num, ' ') FROM aso" \
  "1:BLOQUEADO:192:35:1 2:LIBERADO:32768:0:0 3:VENCIDO:128:0:1"

sleep 10
kill -0 "$SALVIX_PID" 2>/dev/null || fail "SALVIX ended"
[ "$(q "SELECT data_atualizacao_idade || ' ' || hora_atualizacao_idade FROM parametros")" = "$stamp" ] \
  || fail "the job ran again"
echo "VIGO maintenance e2e: ok ($stamp)"
