#include "Catalogue.h"

std::vector<Topic> buildCatalogue() {
    return {signsTopic(),      pedestrianTopic(), lightsTopic(), crossroadsTopic(),
            cyclistTopic(),    carTopic(),        truckTopic(),  busTopic(),
            motorcycleTopic(), mediaTopic(),      postersTopic()};
}
