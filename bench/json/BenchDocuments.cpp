// SPDX-License-Identifier: GPL-3.0-or-later
#include "BenchDocuments.h"

#include <cstdio>
#include <random>

namespace nimbrell::bench {

const std::string& ForecastDocument()
{
    static const std::string document
        = R"({"weatherinfo":{"city":"北京","city_en":"beijing","date_y":"2011年8月18日",)"
          R"("date":"辛卯年七月十九","week":"星期四","fchh":"11","cityid":"101010100",)"
          R"("temp1":"32℃~20℃","temp2":"30℃~21℃","temp3":"28℃~19℃","temp4":"31℃~22℃","temp5":"33℃~23℃","temp6":"29℃~20℃",)"
          R"("tempF1":"89.6℉~68℉","tempF2":"86℉~69.8℉","tempF3":"82.4℉~66.2℉","tempF4":"87.8℉~71.6℉","tempF5":"91.4℉~73.4℉","tempF6":"84.2℉~68℉",)"
          R"("weather1":"多云转晴","weather2":"晴","weather3":"雷阵雨转阴","weather4":"阴转小雨","weather5":"小雨转多云","weather6":"晴转多云",)"
          R"("img1":"1","img2":"0","img3":"0","img4":"99","img5":"4","img6":"2","img7":"2","img8":"7","img9":"7","img10":"1","img11":"0","img12":"1",)"
          R"("img_single":"1","img_title1":"多云","img_title2":"晴","img_title3":"晴","img_title4":"晴","img_title5":"雷阵雨","img_title6":"阴",)"
          R"("img_title7":"阴","img_title8":"小雨","img_title9":"小雨","img_title10":"多云","img_title11":"晴","img_title12":"多云","img_title_single":"多云",)"
          R"("wind1":"北风4-5级转3-4级","wind2":"微风","wind3":"南风3-4级","wind4":"微风","wind5":"北风3-4级转微风","wind6":"微风",)"
          R"("fx1":"北风","fx2":"北风","fl1":"4-5级转3-4级","fl2":"小于3级","fl3":"3-4级","fl4":"小于3级","fl5":"3-4级转小于3级","fl6":"小于3级",)"
          R"("index":"热","index_d":"天气较热，建议着短裙、短裤、短套装、T恤等夏季服装。年老体弱者宜着长袖衬衫和单裤。",)"
          R"("index48":"炎热","index48_d":"天气炎热，建议着短衫、短裙、短裤、薄型T恤衫、敞领短袖棉衫等清凉夏季服装。",)"
          R"("index_uv":"中等","index48_uv":"强","index_xc":"适宜","index_tr":"适宜","index_co":"较舒适",)"
          R"("st1":"31","st2":"20","st3":"29","st4":"21","st5":"27","st6":"19","index_cl":"较适宜","index_ls":"适宜","index_ag":"不易发"}})";
    return document;
}

std::string GeneratedDocument(std::size_t bytes)
{
    static const char* const cities[] = { "北京", "上海", "广州", "深圳", "成都", "乌鲁木齐", "Harbin", "Xi'an" };
    static const char* const weathers[] = { "晴", "多云转晴", "雷阵雨转阴", "小雨", "中雪转大雪", "雾" };
    std::mt19937 random(42);
    std::string text;
    text.reserve(bytes + 1024);
    text += "[\n";
    char buffer[512];
    for (unsigned id = 0; text.size() < bytes; ++id) {
        int high = static_cast<int>(random() % 45) - 5;
        int low = high - static_cast<int>(random() % 15);
        double pressure = 980 + (random() % 60000) / 1000.0;
        int length = std::snprintf(buffer, sizeof buffer,
            R"(  {"id":%u,"code":"1010%05u","city":"%s","weather":"%s","temp":"%d℃~%d℃","pressure":%.3f,)"
            R"("humidity":%u,"ratio":%.6e,"alert":%s,"note":%s,"tags":["day","%s",%u],)"
            R"("wind":{"dir":"北风","level":"%u-%u级","gust":null},"text":"line one\nline \"two\"\t\u4e2d\u6587 \/ end"},)"
            "\n",
            id, id % 100000, cities[random() % 8], weathers[random() % 6], high, low, pressure,
            static_cast<unsigned>(random() % 100), (random() % 100000) / 7.0e5,
            random() % 2 ? "true" : "false", random() % 3 ? "null" : "\"\"",
            random() % 2 ? "night" : "noon", static_cast<unsigned>(random() % 1000),
            static_cast<unsigned>(random() % 4 + 1), static_cast<unsigned>(random() % 4 + 5));
        text.append(buffer, static_cast<std::size_t>(length));
    }
    text.resize(text.size() - 2); // the last comma and line break
    text += "\n]\n";
    return text;
}

}
