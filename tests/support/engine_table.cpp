#include "support/engine_table.h"

#include "core/locks.h"
#include "core/threads.h"
#include "engine/api_table.h"

namespace quaven_test {

EngineTable::EngineTable() : saved_(*qv)
{
    QVI_InitializeThreading();
    QVI_FillAPI(qv);
    QVI_CreateEngineLocks();
    log_.emplace(qv);
}

EngineTable::~EngineTable()
{
    log_.reset();
    *qv = saved_;
}

}  // namespace quaven_test
