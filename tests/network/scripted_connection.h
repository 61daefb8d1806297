#pragma once
// A product connection with scripted attribute rows: it records what it is
// asked and can refuse to open.
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "database/db_connection.h"

namespace lmr::test {

class ScriptedConnection : public DbConnection {
 public:
  // (AttributeName, DataValue) in the order the server returns them.
  std::vector<std::pair<DbValue, DbValue>> rows;
  bool refuseOpen = false;
  bool open = false;
  int opens = 0;
  std::vector<std::string> commands;

  std::string ConnectionString() const override { return text_; }
  void SetConnectionString(const std::string& text) override { text_ = text; }
  void SetCommandTimeout(int) override {}
  void Open() override {
    ++opens;
    if (refuseOpen) throw DbError("[FreeTDS][SQL Server]Unable to connect to data source");
    open = true;
  }
  void Close() override { open = false; }
  bool IsOpen() const override { return open; }
  std::unique_ptr<DbRecordSet> Execute(const std::string& command) override {
    if (!open) Open();
    commands.push_back(command);
    return std::make_unique<Rows>(rows);
  }

 private:
  class Rows : public DbRecordSet {
   public:
    explicit Rows(std::vector<std::pair<DbValue, DbValue>> rows) : rows_(std::move(rows)) {}
    bool Eof() const override { return at_ >= rows_.size(); }
    DbValue Field(const std::string& name) const override {
      if (Eof()) throw DbError("Either BOF or EOF is True");
      if (name == "AttributeName") return rows_[at_].first;
      if (name == "DataValue") return rows_[at_].second;
      throw DbError("Item cannot be found in the collection: " + name);
    }
    void MoveNext() override { ++at_; }

   private:
    std::vector<std::pair<DbValue, DbValue>> rows_;
    std::size_t at_ = 0;
  };
  std::string text_;
};

}  // namespace lmr::test
