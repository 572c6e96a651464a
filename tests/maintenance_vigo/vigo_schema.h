#pragma once
// The VIGO tables as the maintenance job assumes them (docs/business-databases-vigo.md),
// shared by the tests and the benchmark.
#include <QString>

namespace ark::maintenance::test {

// The test dates of aso are text; `testDatesAsDateTime` declares them DATETIME instead.
inline QString vigoSchema(bool testDatesAsDateTime = false) {
  const QString d =
      testDatesAsDateTime ? QStringLiteral("DATETIME") : QStringLiteral("VARCHAR(10)");
  return QStringLiteral(
             "CREATE TABLE parametros (dias_agenda LONG, data_atualizacao_idade VARCHAR(10),"
             " hora_atualizacao_idade VARCHAR(8));"
             "CREATE TABLE agenda (codigo LONG, empresa VARCHAR(60), data DATETIME);"
             "CREATE TABLE empregado (codigo LONG, nome VARCHAR(60), dtnasc VARCHAR(10),"
             " idade LONG);"
             "CREATE TABLE natureza_exame (descricao VARCHAR(50), status VARCHAR(20));"
             "CREATE TABLE empregado_empresa (cpf VARCHAR(14), empresa VARCHAR(60));"
             "CREATE TABLE agenda_treinamento (controle LONG, descricao VARCHAR(60));"
             "CREATE TABLE agenda_treinamento_empresa (controle LONG, empresa VARCHAR(60));"
             "CREATE TABLE agenda_treinamento_instrutor (controle LONG, instrutor VARCHAR(60));"
             "CREATE TABLE treinamentos_presenca (controle LONG, nota DOUBLE);"
             "CREATE TABLE aso (controle LONG, empregado VARCHAR(60), cpf VARCHAR(14),"
             " data DATETIME, natureza_exame VARCHAR(50), situacao VARCHAR(20),"
             " cor_situacao LONG, toxicologico VARCHAR(20), toxicologico_data %1,"
             " etilometro VARCHAR(20), etilometro_data %1, teste_psicometrico VARCHAR(20),"
             " teste_psicometrico_data %1, dias_bloqueado LONG, dias_bloqueadoe LONG,"
             " bloqueio_atendimento_num LONG, pendencia VARCHAR(100), pendencia_asoe VARCHAR(100),"
             " aptidao_funcao VARCHAR(50), aptidao_funcaoi VARCHAR(50),"
             " realizou_clinico_data VARCHAR(10), data_validade_aso %1,"
             " data_validade_asoe VARCHAR(10));")
      .arg(d);
}

}  // namespace ark::maintenance::test
