// Fitting the memory model to the player's answers, kept with the history.

#include "Calibration.h"
#include "History.h"
#include "HistoryImpl.h"
#include "HistorySchema.h"

#include <algorithm>

bool History::recalibrate()
{
    d_->open();
    if (!d_->saving || policy_.leitner)
        return false;
    try {
        const HistoryDb& db = d_->db;
        const int count = HistorySchema::answerCount(db);
        const int fitted = HistorySchema::meta(db, QStringLiteral("fitted_answers")).toInt();
        if (count < fitted + std::max(300, fitted / 3))
            return false;
        const std::optional<Calibration::Result> result = Calibration::fit(answers(), policy_);
        if (result)
            policy_.model = Fsrs::Model(result->weights);
        db.transaction([&] {
            if (result)
                HistorySchema::storeWeights(db, result->weights);
            HistorySchema::setMeta(db, QStringLiteral("fitted_answers"), count);
        });
        if (!result)
            return false;
        d_->rebuildStored();
        return true;
    } catch (const DbError& e) {
        d_->tellNotSaving(e.text);
        return false;
    }
}
