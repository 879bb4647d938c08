// The type-code factory of the object tree (declared in framework/vobe_factory.h): it knows every
// concrete class, so it lives with the components.
#include "framework/vobe_factory.h"

#include "components/vobe_box.h"
#include "components/vobe_button.h"
#include "components/vobe_cinema.h"
#include "components/vobe_edit.h"
#include "components/vobe_fire.h"
#include "components/vobe_gauge.h"
#include "components/vobe_http.h"
#include "components/vobe_images.h"
#include "components/vobe_label.h"
#include "components/vobe_list_box.h"
#include "components/vobe_map_image.h"
#include "components/vobe_mes.h"
#include "components/vobe_particle.h"
#include "components/vobe_prev_menu.h"
#include "components/vobe_slider.h"
#include "components/vobe_sound.h"
#include "components/vobe_tile.h"
#include "components/vobe_video.h"
#include "components/vobe_wave.h"
#include "framework/vobe_cabinet.h"
#include "framework/vobe_prop_motion.h"
#include "framework/vobe_timer.h"

namespace vobe {

TVobeObject* CreateVobeObject(uint8_t code, TVobeBaseList* owner) {
    switch (code & 0x7F) {
    case ctBox: return NewVobeObject<TVobeBox>(owner);
    case ctButton: return NewVobeObject<TVobeButton>(owner);
    case ctCinema: return NewVobeObject<TVobeCinema>(owner);
    case ctEdit: return NewVobeObject<TVobeEdit>(owner);
    case ctFire: return NewVobeObject<TVobeFire>(owner);
    case ctHttp: return NewVobeObject<TVobeHttp>(owner);
    case ctImages: return NewVobeObject<TVobeImages>(owner);
    case ctLabel: return NewVobeObject<TVobeLabel>(owner);
    case ctMemo: return NewVobeObject<TVobeMemo>(owner);
    case ctMenu: return NewVobeObject<TVobeMenu>(owner);
    case ctMes: return NewVobeObject<TVobeMes>(owner);
    case ctParticle: return NewVobeObject<TVobeParticle>(owner);
    case ctTimer: return NewVobeObject<TVobeTimer>(owner);
    case ctVideo: return NewVobeObject<TVobeVideo>(owner);
    case ctSound: return NewVobeObject<TVobeSound>(owner);
    case ctMapImage: return NewVobeObject<TVobeMapImage>(owner);
    case ctWave: return NewVobeObject<TVobeWave>(owner);
    case ctTile: return NewVobeObject<TVobeTile>(owner);
    case ctSlider: return NewVobeObject<TVobeSlider>(owner);
    case ctScrollbar: return NewVobeObject<TVobeScrollbar>(owner);
    case ctGauge: return NewVobeObject<TVobeGauge>(owner);
    case ctCGLabel: return NewVobeObject<TVobeCGLabel>(owner);
    case ctPrevMenu: return NewVobeObject<TVobePrevMenu>(owner);
    case ctPropMotion: return NewVobeObject<TVobePropMotion>(owner);
    case ctCabinet: return NewVobeObject<TVobeCabinet>(owner);
    default: return nullptr;
    }
}

} // namespace vobe
